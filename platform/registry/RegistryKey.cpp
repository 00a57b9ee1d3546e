#include "RegistryKey.h"

#include <atomic>
#include <cstring>

#include "HiveDatabase.h"
#include "platform/system/Win32Error.h"

namespace qx::reg {

namespace {

std::atomic<uint64_t> g_reads{0};

void CountRead() {
    g_reads.fetch_add(1, std::memory_order_relaxed);
}

std::string JoinFold(const std::string& base, const std::vector<std::string>& segments) {
    std::string fold = base;
    for (const auto& seg : segments) {
        if (!fold.empty())
            fold += '\\';
        fold += FoldName(seg);
    }
    return fold;
}

}  // namespace

uint64_t StoreReadCount() {
    return g_reads.load(std::memory_order_relaxed);
}

long Key::Open(Hive hive, std::string_view path, Access access, Key& out) {
    Key root;
    root.m_db = HiveDatabase::Get(hive);
    root.m_hive = hive;
    root.m_access = Access::All;
    return root.Open(path, access, out);
}

long Key::Open(std::string_view subPath, Access access, Key& out) const {
    CountRead();
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    auto segments = SplitPath(subPath);
    KeyRecord rec;
    rec.id = m_id;
    rec.path = m_path;
    if (!segments.empty()) {
        if (long err = m_db->FindKey(JoinFold(FoldName(m_path), segments), rec))
            return err;
    } else if (!m_db->KeyExists(m_id)) {
        return ERROR_KEY_DELETED;
    }
    if (access != Access::Read && !m_db->Writable())
        return ERROR_ACCESS_DENIED;
    Key k;
    k.m_db = m_db;
    k.m_hive = m_hive;
    k.m_id = rec.id;
    k.m_path = rec.path;
    k.m_access = access;
    out = std::move(k);
    return ERROR_SUCCESS;
}

long Key::Create(Hive hive, std::string_view path, Key& out, bool* created) {
    Key root;
    root.m_db = HiveDatabase::Get(hive);
    root.m_hive = hive;
    root.m_access = Access::All;
    return root.Create(path, out, created);
}

long Key::Create(std::string_view subPath, Key& out, bool* created) const {
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    if (!m_db->Writable())
        return ERROR_ACCESS_DENIED;
    KeyRecord parent;
    parent.id = m_id;
    parent.path = m_path;
    parent.fold = FoldName(m_path);
    KeyRecord rec;
    bool made = false;
    if (long err = m_db->CreateKey(SplitPath(subPath), parent, rec, made))
        return err;
    if (created)
        *created = made;
    Key k;
    k.m_db = m_db;
    k.m_hive = m_hive;
    k.m_id = rec.id;
    k.m_path = rec.path;
    k.m_access = Access::All;
    out = std::move(k);
    return ERROR_SUCCESS;
}

void Key::Close() {
    m_db.reset();
    m_id = 0;
    m_path.clear();
}

std::string Key::FullPath() const {
    std::string full = HiveName(m_hive);
    if (!m_path.empty())
        full += "\\" + m_path;
    return full;
}

long Key::CheckWrite() const {
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    if (m_access == Access::Read || !m_db->Writable())
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

long Key::QueryValue(std::string_view name, uint32_t* type, void* data, uint32_t* size) const {
    CountRead();
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    Value v;
    if (long err = m_db->GetValue(m_id, FoldName(name), v))
        return err;
    if (type)
        *type = v.type;
    auto needed = static_cast<uint32_t>(v.data.size());
    if (data != nullptr) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (needed)
            std::memcpy(data, v.data.data(), needed);
    }
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

long Key::GetValue(std::string_view name, Value& out) const {
    CountRead();
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    return m_db->GetValue(m_id, FoldName(name), out);
}

long Key::GetString(std::string_view name, std::string& out) const {
    Value v;
    if (long err = GetValue(name, v))
        return err;
    out = v.AsString();
    return ERROR_SUCCESS;
}

long Key::GetDword(std::string_view name, uint32_t& out) const {
    Value v;
    if (long err = GetValue(name, v))
        return err;
    auto d = v.AsDword();
    if (!d)
        return ERROR_MORE_DATA;
    out = *d;
    return ERROR_SUCCESS;
}

long Key::SetValue(std::string_view name, uint32_t type, const void* data, uint32_t size) {
    if (size > 0 && data == nullptr)
        return ERROR_INVALID_PARAMETER;
    Value v;
    v.type = type;
    if (size) {
        auto p = static_cast<const uint8_t*>(data);
        v.data.assign(p, p + size);
    }
    return SetValue(name, v);
}

long Key::SetValue(std::string_view name, const Value& value) {
    if (long err = CheckWrite())
        return err;
    if (name.size() > 16383)
        return ERROR_INVALID_PARAMETER;
    return m_db->SetValue(m_id, name, FoldName(name), value);
}

long Key::SetString(std::string_view name, std::string_view text, uint32_t type) {
    return SetValue(name, Value::String(text, type));
}

long Key::SetDword(std::string_view name, uint32_t value) {
    return SetValue(name, Value::Dword(value));
}

long Key::DeleteValue(std::string_view name) {
    if (long err = CheckWrite())
        return err;
    return m_db->DeleteValue(m_id, FoldName(name));
}

long Key::DeleteKey(std::string_view subPath) {
    if (long err = CheckWrite())
        return err;
    if (SplitPath(subPath).empty())
        return ERROR_INVALID_PARAMETER;
    Key sub;
    if (long err = Open(subPath, Access::Read, sub))
        return err;
    KeyRecord rec{sub.m_id, FoldName(sub.m_path), sub.m_path};
    return m_db->DeleteKey(rec, false, false);
}

long Key::DeleteTree(std::string_view subPath) {
    if (long err = CheckWrite())
        return err;
    Key sub;
    if (long err = Open(subPath, Access::Read, sub))
        return err;
    KeyRecord rec{sub.m_id, FoldName(sub.m_path), sub.m_path};
    return m_db->DeleteKey(rec, true, SplitPath(subPath).empty());
}

long Key::EnumKey(uint32_t index, std::string& name) const {
    std::vector<std::string> names;
    if (long err = SubKeyNames(names))
        return err;
    if (index >= names.size())
        return ERROR_NO_MORE_ITEMS;
    name = names[index];
    return ERROR_SUCCESS;
}

long Key::EnumValue(uint32_t index, std::string& name, Value* value) const {
    std::vector<std::pair<std::string, Value>> values;
    if (long err = Values(values))
        return err;
    if (index >= values.size())
        return ERROR_NO_MORE_ITEMS;
    name = values[index].first;
    if (value)
        *value = values[index].second;
    return ERROR_SUCCESS;
}

long Key::SubKeyNames(std::vector<std::string>& names) const {
    CountRead();
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    return m_db->SubKeys(m_id, names);
}

long Key::Values(std::vector<std::pair<std::string, Value>>& values) const {
    CountRead();
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    return m_db->AllValues(m_id, values);
}

}  // namespace qx::reg
