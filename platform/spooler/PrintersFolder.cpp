#include "PrintersFolder.h"

#include <mutex>

#include "PrinterInfo.h"
#include "SpoolerStore.h"

namespace qx::spool {

namespace {

std::mutex g_faultMutex;
PrintersFolder::Fault g_fault;

PrintersFolder::Fault CurrentFault() {
    std::lock_guard lock(g_faultMutex);
    return g_fault;
}

constexpr const char* kAddPrinter = "Add Printer";

}  // namespace

HRESULT PrintersFolder::Enumerator::Next(Item& item) {
    if (m_failAfter >= 0 && m_next >= static_cast<size_t>(m_failAfter))
        return E_FAIL;
    if (m_next >= m_items.size())
        return S_FALSE;
    item = m_items[m_next++];
    return S_OK;
}

HRESULT PrintersFolder::Open(PrintersFolder& out) {
    out.m_open = false;
    if (CurrentFault().unavailable)
        return E_FAIL;
    out.m_open = true;
    return S_OK;
}

HRESULT PrintersFolder::EnumObjects(uint32_t flags, Enumerator& out) const {
    out = Enumerator{};
    if (!m_open)
        return E_FAIL;
    out.m_failAfter = CurrentFault().failAfterItems;
    if ((flags & SHCONTF_NONFOLDERS) == 0)
        return S_OK;
    auto records = SpoolerStore::ReadPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS);
    out.m_items.reserve(records.size() + 1);
    out.m_items.push_back(Item{});
    for (const auto& r : records) {
        Item item;
        if (r.isConnection) {
            item.kind = Item::Kind::Connection;
            item.server = r.serverName.substr(2);
            item.printer = r.printerName.substr(r.serverName.size() + 1);
        } else {
            item.kind = Item::Kind::Printer;
            item.printer = r.printerName;
        }
        out.m_items.push_back(std::move(item));
    }
    return S_OK;
}

std::optional<std::string> PrintersFolder::DisplayNameOf(const Item& item, uint32_t flags) const {
    if (!m_open)
        return std::nullopt;
    bool addressForm = (flags & (SHGDN_FORADDRESSBAR | SHGDN_FORPARSING)) != 0;
    switch (item.kind) {
        case Item::Kind::AddPrinter:
            return std::string(kAddPrinter);
        case Item::Kind::Printer:
            return item.printer;
        case Item::Kind::Connection:
            if (addressForm)
                return "\\\\" + item.server + "\\" + item.printer;
            return item.printer + " on " + item.server;
    }
    return std::nullopt;
}

PrintersFolder::Fault PrintersFolder::SetFaultForTesting(Fault fault) {
    std::lock_guard lock(g_faultMutex);
    std::swap(g_fault, fault);
    return fault;
}

}  // namespace qx::spool
