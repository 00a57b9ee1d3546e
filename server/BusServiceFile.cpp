#include "BusServiceFile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "automation/TypeLibrary.h"

namespace qx {

std::string BusServiceDirectory() {
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
        base = data;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    return base + "/dbus-1/services";
}

std::string BusServiceFilePath() {
    std::string dir = BusServiceDirectory();
    if (dir.empty())
        return {};
    return dir + "/" + KORVALENMISvrEndpoint().service.toStdString() + ".service";
}

std::string QuoteForServiceExec(const std::string& path) {
    // Two layers read the line: the key file's escapes (\\ \n \t \r) first,
    // then the shell-like splitting of Exec, where single quotes keep
    // everything but a quote, which is closed, escaped and reopened.
    std::string shell = "'";
    for (char c : path) {
        if (c == '\'')
            shell += "'\\''";
        else
            shell += c;
    }
    shell += "'";
    std::string out;
    for (char c : shell) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {

// Whether the file is a regular file that holds exactly this text. Anything
// else (no file, a folder in its place, a read error) is rewritten, so that
// its failure is reported as before.
bool SameContent(const std::string& file, const std::string& content) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) ||
        std::filesystem::file_size(file, ec) != content.size() || ec)
        return false;
    try {
        std::ifstream in(file, std::ios::binary);
        return in && std::string(std::istreambuf_iterator<char>(in), {}) == content;
    } catch (const std::ios_base::failure&) {
        return false;
    }
}

}  // namespace

bool WriteBusServiceFile(const std::string& programPath) {
    std::string file = BusServiceFilePath();
    if (file.empty() || programPath.empty())
        return false;
    // The bus passes -Embedding, as the object runtime does when it launches
    // a local server.
    const std::string content =
        "[D-BUS Service]\nName=" + KORVALENMISvrEndpoint().service.toStdString() +
        "\nExec=" + QuoteForServiceExec(programPath) + " -Embedding\n";
    // Every start registers the server: a file that already says the same is
    // left alone, since each change makes the bus read its service files again.
    if (SameContent(file, content))
        return true;
    std::error_code ec;
    std::filesystem::create_directories(BusServiceDirectory(), ec);
    std::string temp = file + ".tmp." + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        out << content;
        if (!out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool RemoveBusServiceFile() {
    std::string file = BusServiceFilePath();
    if (file.empty())
        return false;
    std::error_code ec;
    std::filesystem::remove(file, ec);
    // Below something that is no folder, the file cannot be there either.
    return !ec || ec == std::errc::not_a_directory;
}

}  // namespace qx
