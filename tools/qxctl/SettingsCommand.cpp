// qxctl settings: what the server will read for every setting of a family.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "platform/registry/RegistryKey.h"
#include "settings/Settings.h"

namespace qxctl {

namespace {

// Whether the settings key holds a value that the server takes for this
// setting (GetDwordSetting reads any value of at most four bytes).
bool StoredValue(const qx::reg::Key& key, const char* name) {
    if (!key.IsOpen())
        return false;
    uint32_t size = 0;
    return key.QueryValue(name, nullptr, nullptr, &size) == 0 && size <= 4;
}

bool IsStringSetting(uint32_t id) {
    return id == qx::SETTING_DO_IP_DISCOVERY_RANGE_FROM ||
           id == qx::SETTING_DO_IP_DISCOVERY_RANGE_TO;
}

}  // namespace

int RunSettings(const Args& given) {
    Args args = given;
    bool json = TakeFlag(args, "--json");
    std::string familyText = "1", error;
    if (!TakeOption(args, "--family", familyText, error) && !error.empty())
        return UsageError("settings", error);
    uint32_t family = 0;
    if (!ParseUint(familyText, family))
        return UsageError("settings", "bad family number \"" + familyText + "\"");
    if (!args.empty())
        return UsageError("settings", "unexpected argument \"" + args[0] + "\"");

    qx::reg::Key key;
    qx::reg::Key::Open(qx::reg::Hive::CurrentUser, qx::SettingsKey(family), qx::reg::Access::Read,
                       key);

    QJsonArray rows;
    if (!json) {
        std::printf("Settings of family %u (HKEY_CURRENT_USER\\%s)%s\n\n", family,
                    qx::SettingsKey(family),
                    key.IsOpen() ? "" : ": key missing, every setting has its default");
        std::printf("%4s  %-42s %12s  %s\n", "Id", "Name", "Value", "Source");
    }
    for (const qx::SettingEntry* e = qx::kSettingsTable; e->id != qx::kSettingsEnd; ++e) {
        QJsonObject row{{"id", static_cast<qint64>(e->id)}, {"name", e->name}};
        if (IsStringSetting(e->id)) {
            char text[260];
            qx::GetStringSetting(e->id, text, sizeof text, family);
            // Only family 1 reads these texts; other families see them empty.
            bool stored = family == 1 && text[0] != 0;
            row["value"] = QString::fromUtf8(text);
            row["default"] = QString();
            row["stored"] = stored;
            if (!json)
                std::printf("%4u  %-42s %12s  %s\n", e->id, e->name, text[0] ? text : "\"\"",
                            stored ? "stored" : "default");
        } else {
            uint32_t value = qx::GetDwordSetting(e->id, family);
            bool stored = StoredValue(key, e->name);
            row["value"] = static_cast<qint64>(value);
            row["default"] = static_cast<qint64>(e->defaultValue);
            row["stored"] = stored;
            if (!json) {
                std::string shown = value == 0xFFFFFFFF ? "-1" : std::to_string(value);
                std::printf("%4u  %-42s %12s  %s\n", e->id, e->name, shown.c_str(),
                            !stored                    ? "default"
                            : value == e->defaultValue ? "stored (= default)"
                                                       : "stored");
            }
        }
        rows.append(row);
    }
    if (json)
        std::printf("%s", QJsonDocument(rows).toJson(QJsonDocument::Indented).constData());
    return 0;
}

}  // namespace qxctl
