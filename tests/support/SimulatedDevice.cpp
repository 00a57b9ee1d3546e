#include "support/SimulatedDevice.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace qxtest {

namespace {

std::vector<unsigned long> ArcsOf(const std::string& oid) {
    std::vector<unsigned long> arcs;
    std::stringstream in(oid);
    std::string arc;
    while (std::getline(in, arc, '.'))
        arcs.push_back(std::strtoul(arc.c_str(), nullptr, 10));
    return arcs;
}

bool WriteFile(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return out && chmod(path.c_str(), mode) == 0;
}

}  // namespace

std::string SortedProfile(const std::string& profile) {
    std::vector<std::pair<std::vector<unsigned long>, std::string>> lines;
    std::stringstream in(profile);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        lines.emplace_back(ArcsOf(line.substr(0, line.find('|'))), line);
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string sorted;
    for (const auto& l : lines)
        sorted += l.second + "\n";
    return sorted;
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

SimulatedDevice::SimulatedDevice(std::string address, std::string profile)
    : m_address(std::move(address)), m_profile(std::move(profile)) {}

bool SimulatedDevice::Launch(std::string& error) {
    const std::string data = m_process.Dir() + "/data", cache = m_process.Dir() + "/cache";
    if (mkdir(data.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot make " + data;
        return false;
    }
    // snmpsimd drops to nobody after binding port 161; it then writes its
    // index into the cache directory.
    if ((mkdir(cache.c_str(), 0777) != 0 && errno != EEXIST) || chmod(cache.c_str(), 0777) != 0) {
        error = "cannot make " + cache;
        return false;
    }
    if (!WriteFile(data + "/public.snmprec", SortedProfile(m_profile), 0644)) {
        error = "cannot write the profile";
        return false;
    }
    std::vector<std::string> args = {
        "snmpsimd",
        "--data-dir=" + data,
        "--cache-dir=" + cache,
        "--agent-udpv4-endpoint=" + m_address + ":161",
    };
    if (geteuid() == 0) {
        args.push_back("--process-user=nobody");
        args.push_back("--process-group=nogroup");
    }
    if (!m_namespace.empty())
        args.insert(args.begin(), {"ip", "netns", "exec", m_namespace});
    if (!m_process.Launch(args, {}, error)) {
        error = "snmpsimd for " + m_address + ": " + error;
        return false;
    }
    return true;
}

bool SimulatedDevice::Start(std::string& error) {
    return StartAll({this}, error);
}

bool SimulatedDevice::StartAll(std::initializer_list<SimulatedDevice*> devices,
                               std::string& error) {
    for (SimulatedDevice* d : devices)
        if (!d->Launch(error))
            return false;
    for (SimulatedDevice* d : devices) {
        if (!d->m_process.WaitUntilAnswering(d->m_address, kStartLimit, error)) {
            error = "simulated device " + d->m_address + ": " + error;
            return false;
        }
    }
    return true;
}

}  // namespace qxtest
