// Importing into and exporting from the store: file access and carrying out
// the instructions of a parsed file.

#include "RegFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "RegistryKey.h"
#include "platform/system/Win32Error.h"

namespace qx::reg {

namespace {

long Fail(long code, const std::string& message, std::string* error) {
    if (error)
        *error = message;
    return code;
}

std::string Where(const std::string& source, int line) {
    std::string where = "line " + std::to_string(line);
    return source.empty() ? where : source + ", " + where;
}

std::string FullName(Hive hive, const std::string& path) {
    return path.empty() ? std::string(HiveName(hive)) : std::string(HiveName(hive)) + "\\" + path;
}

long ReadWholeFile(const std::string& path, std::string& bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Win32ErrorFromErrno(errno);
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        close(fd);
        return Win32ErrorFromErrno(err);
    }
    std::string data;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            close(fd);
            return Win32ErrorFromErrno(err);
        }
        data.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    bytes = std::move(data);
    return ERROR_SUCCESS;
}

long WriteWholeFile(const std::string& path, std::string_view bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return Win32ErrorFromErrno(errno);
    int err = 0;
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    if (close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        // A cut-off export must not pass for a good one.
        unlink(path.c_str());
        return Win32ErrorFromErrno(err);
    }
    return ERROR_SUCCESS;
}

}  // namespace

long ApplyRegFile(const RegFileContent& content, const std::string& source, std::string* error) {
    Key current;
    for (const RegFileOp& op : content.ops) {
        long err = ERROR_SUCCESS;
        std::string what;
        switch (op.kind) {
            case RegFileOp::Kind::CreateKey:
                err = Key::Create(op.hive, op.path, current);
                what = "create the key " + FullName(op.hive, op.path);
                break;
            case RegFileOp::Kind::DeleteKey: {
                Key root;
                err = Key::Open(op.hive, "", Access::All, root);
                if (!err)
                    err = root.DeleteTree(op.path);
                if (err == ERROR_FILE_NOT_FOUND)
                    err = ERROR_SUCCESS;  // already gone
                what = "delete the key " + FullName(op.hive, op.path);
                break;
            }
            case RegFileOp::Kind::SetValue:
                err = current.SetValue(op.name, op.value);
                what = "set the value \"" + op.name + "\" of " + FullName(op.hive, op.path);
                break;
            case RegFileOp::Kind::DeleteValue:
                err = current.DeleteValue(op.name);
                if (err == ERROR_FILE_NOT_FOUND)
                    err = ERROR_SUCCESS;
                what = "delete the value \"" + op.name + "\" of " + FullName(op.hive, op.path);
                break;
        }
        if (err) {
            bool first = &op == &content.ops.front();
            return Fail(err,
                        Where(source, op.line) + ": cannot " + what + ": " +
                            SystemMessageLine(err) +
                            (first ? " Nothing was imported."
                                   : " Import stopped there: the changes before line " +
                                         std::to_string(op.line) +
                                         " were applied, the rest of the file was not."),
                        error);
        }
    }
    return ERROR_SUCCESS;
}

long ImportRegData(std::string_view bytes, const std::string& source, std::string* error) {
    try {
        RegFileContent content;
        std::string message;
        if (long err = ParseRegFile(bytes, content, &message))
            return Fail(err,
                        (source.empty() ? "" : source + ", ") + message + "; nothing was imported.",
                        error);
        return ApplyRegFile(content, source, error);
    } catch (const std::bad_alloc&) {
        return Fail(
            ERROR_NOT_ENOUGH_MEMORY,
            (source.empty() ? "" : source + ": ") + SystemMessageLine(ERROR_NOT_ENOUGH_MEMORY),
            error);
    }
}

long ImportRegFile(const std::string& path, std::string* error) {
    std::string bytes;
    if (long err = ReadWholeFile(path, bytes))
        return Fail(err, "cannot read " + path + ": " + SystemMessageLine(err), error);
    return ImportRegData(bytes, path, error);
}

long ExportRegFile(Hive hive, std::string_view keyPath, const std::string& fileName,
                   std::string* error, RegFileFormat format) {
    std::string bytes;
    if (long err = FormatRegFile(hive, keyPath, format, bytes, error))
        return err;
    if (long err = WriteWholeFile(fileName, bytes))
        return Fail(err, "cannot write " + fileName + ": " + SystemMessageLine(err), error);
    return ERROR_SUCCESS;
}

}  // namespace qx::reg
