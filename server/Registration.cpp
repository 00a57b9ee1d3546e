#include "Registration.h"

#include <cerrno>
#include <cstdio>

#include "BusServiceFile.h"
#include "ObjectTable.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "trace/Trace.h"

namespace qx {

namespace {

using Mode = RegScriptKey::Mode;

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Quorvia KORVALENMISVR";
// The standard automation marshaler serves every dual interface.
constexpr const char* kProxyStubClsid = "{00020424-0000-0000-C000-000000000046}";

std::string LcidKeyName() {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%x", kTypeLibLcid);
    return buf;
}

// Traces a failed step and adds it to the caller's list; always false.
bool Failed(std::string* failures, const std::string& step, long error) {
    std::string text = SystemMessageLine(error);
    Trace(kTracePrefix, "%s failed with error %ld: %s", step.c_str(), error, text.c_str());
    if (failures) {
        if (!failures->empty())
            *failures += "; ";
        *failures += step + ": " + text;
    }
    return false;
}

// errno of a failed file operation, as a system error code.
bool FailedFile(std::string* failures, const std::string& step, int err) {
    return Failed(failures, step, Win32ErrorFromErrno(err ? err : EIO));
}

std::string DirectoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::vector<RegScriptKey> RegistryScript(int scriptId, const std::string& programPath) {
    if (scriptId == kAppIdScript) {
        RegScriptKey appIdKey{kAppIdText, Mode::Normal, std::string(kModuleName), {}, {}};
        RegScriptKey exeKey{std::string(kModuleName) + ".EXE",
                            Mode::Normal,
                            std::nullopt,
                            {{"AppID", kAppIdText}},
                            {}};
        return {RegScriptKey{"AppID", Mode::NoRemove, std::nullopt, {}, {appIdKey, exeKey}}};
    }
    for (const auto& row : kObjectTable) {
        if (row.scriptId != scriptId)
            continue;
        std::string stem = row.progIdStem, versioned = stem + ".1";
        RegScriptKey versionedKey{versioned, Mode::Normal, std::string(row.className), {}, {}};
        versionedKey.subkeys.push_back({"CLSID", Mode::Normal, std::string(row.clsidText), {}, {}});
        RegScriptKey stemKey{stem, Mode::Normal, std::string(row.className), {}, {}};
        stemKey.subkeys.push_back({"CLSID", Mode::Normal, std::string(row.clsidText), {}, {}});
        stemKey.subkeys.push_back({"CurVer", Mode::Normal, versioned, {}, {}});
        RegScriptKey classKey{row.clsidText,
                              Mode::ForceRemove,
                              std::string(row.className),
                              {{"AppID", kAppIdText}},
                              {}};
        classKey.subkeys = {
            {"ProgID", Mode::Normal, versioned, {}, {}},
            {"VersionIndependentProgID", Mode::Normal, stem, {}, {}},
            {"Programmable", Mode::ForceRemove, std::nullopt, {}, {}},
            {"LocalServer32", Mode::Normal, programPath, {}, {}},
            {"TypeLib", Mode::Normal, std::string(kLibIdText), {}, {}},
        };
        return {versionedKey, stemKey,
                RegScriptKey{"CLSID", Mode::NoRemove, std::nullopt, {}, {classKey}}};
    }
    return {};
}

long UpdateRegistryFromScript(int scriptId, bool registering, const std::string& programPath) {
    auto script = RegistryScript(scriptId, programPath);
    if (script.empty())
        return ERROR_FILE_NOT_FOUND;
    return RunRegistryScript(reg::Hive::ClassesRoot, script, registering);
}

long RegisterTypeLibrary(const std::string& programPath) {
    std::vector<RegScriptKey> keys;
    RegScriptKey version{kTypeLibVersion, Mode::Normal, std::string(kTypeLibHelp), {}, {}};
    version.subkeys = {
        {LcidKeyName(),
         Mode::Normal,
         std::nullopt,
         {},
         {{"win32", Mode::Normal, programPath, {}, {}}}},
        {"FLAGS", Mode::Normal, std::string("0"), {}, {}},
        {"HELPDIR", Mode::Normal, DirectoryOf(programPath), {}, {}},
    };
    RegScriptKey library{kLibIdText, Mode::Normal, std::nullopt, {}, {version}};
    keys.push_back({"TypeLib", Mode::NoRemove, std::nullopt, {}, {library}});
    RegScriptKey interfaces{"Interface", Mode::NoRemove, std::nullopt, {}, {}};
    for (const auto& row : kObjectTable) {
        RegScriptKey itf{row.iidText, Mode::Normal, std::string(row.interfaceName), {}, {}};
        itf.subkeys = {
            {"ProxyStubClsid", Mode::Normal, std::string(kProxyStubClsid), {}, {}},
            {"ProxyStubClsid32", Mode::Normal, std::string(kProxyStubClsid), {}, {}},
            {"TypeLib", Mode::Normal, std::string(kLibIdText), {{"Version", kTypeLibVersion}}, {}},
        };
        interfaces.subkeys.push_back(std::move(itf));
    }
    keys.push_back(std::move(interfaces));
    return RunRegistryScript(reg::Hive::ClassesRoot, keys, true);
}

long UnregisterTypeLibrary() {
    reg::Key typeLib;
    long first = ERROR_SUCCESS;
    std::string libraryPath = std::string("TypeLib\\") + kLibIdText;
    if (reg::Key::Open(reg::Hive::ClassesRoot, libraryPath, reg::Access::All, typeLib) ==
        ERROR_SUCCESS) {
        long rc = typeLib.DeleteTree(kTypeLibVersion);
        if (rc != ERROR_FILE_NOT_FOUND)
            first = rc;
        std::vector<std::string> versions;
        typeLib.SubKeyNames(versions);
        typeLib.Close();
        reg::Key parent;
        if (versions.empty() && reg::Key::Open(reg::Hive::ClassesRoot, "TypeLib", reg::Access::All,
                                               parent) == ERROR_SUCCESS) {
            rc = parent.DeleteTree(kLibIdText);
            if (first == ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                first = rc;
        }
    }
    reg::Key interfaces;
    if (reg::Key::Open(reg::Hive::ClassesRoot, "Interface", reg::Access::All, interfaces) ==
        ERROR_SUCCESS) {
        for (const auto& row : kObjectTable) {
            // An interface key that another library took over is not ours to remove.
            reg::Key libKey;
            std::string owner;
            if (interfaces.Open(std::string(row.iidText) + "\\TypeLib", reg::Access::Read,
                                libKey) == ERROR_SUCCESS &&
                libKey.GetString("", owner) == ERROR_SUCCESS && !owner.empty()) {
                auto mine = GUID::Parse(owner), ours = GUID::Parse(kLibIdText);
                if (mine != ours)
                    continue;
            }
            long rc = interfaces.DeleteTree(row.iidText);
            if (first == ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                first = rc;
        }
    }
    return first;
}

bool RegisterServer(const std::string& programPath, std::string* failures) {
    bool ok = true;
    for (const auto& row : kObjectTable)
        if (long rc = UpdateRegistryFromScript(row.scriptId, true, programPath))
            ok = Failed(failures, "registering script " + std::to_string(row.scriptId), rc);
    if (long rc = RegisterTypeLibrary(programPath))
        ok = Failed(failures, "registering the type library", rc);
    errno = 0;
    if (!WriteBusServiceFile(programPath)) {
        int err = errno;
        ok = FailedFile(failures, "writing the bus service file " + BusServiceFilePath(), err);
    }
    return ok;
}

bool UnregisterServer(std::string* failures) {
    bool ok = true;
    for (const auto& row : kObjectTable)
        if (long rc = UpdateRegistryFromScript(row.scriptId, false, std::string()))
            ok = Failed(failures, "unregistering script " + std::to_string(row.scriptId), rc);
    if (long rc = UnregisterTypeLibrary())
        ok = Failed(failures, "unregistering the type library", rc);
    errno = 0;
    if (!RemoveBusServiceFile()) {
        int err = errno;
        ok = FailedFile(failures, "removing the bus service file " + BusServiceFilePath(), err);
    }
    return ok;
}

bool UpdateRegistryFromAllScripts(bool registering, const std::string& programPath,
                                  std::string* failures) {
    bool ok = true;
    for (int script = kAppIdScript; script <= kAppIdScript + kObjectTableRows; ++script)
        if (long rc = UpdateRegistryFromScript(script, registering, programPath))
            ok = Failed(failures,
                        (registering ? "registering script " : "unregistering script ") +
                            std::to_string(script),
                        rc);
    return ok;
}

void DeleteRunValue() {
    reg::Key run;
    if (reg::Key::Open(reg::Hive::CurrentUser, kRunKey, reg::Access::All, run) != ERROR_SUCCESS)
        return;
    run.DeleteValue(kRunValue);
}

}  // namespace qx
