#include "Win32Error.h"

#include <cerrno>
#include <cstdio>

namespace qx {

long Win32ErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case EBUSY:
            return ERROR_BUSY;
        case EIO:
            return ERROR_WRITE_FAULT;
        default:
            return ERROR_INVALID_FUNCTION;
    }
}

std::string SystemMessageText(long code) {
    const char* text = nullptr;
    switch (code) {
        case ERROR_SUCCESS:
            text = "The operation completed successfully.";
            break;
        case ERROR_INVALID_FUNCTION:
            text = "Incorrect function.";
            break;
        case ERROR_FILE_NOT_FOUND:
            text = "The system cannot find the file specified.";
            break;
        case ERROR_PATH_NOT_FOUND:
            text = "The system cannot find the path specified.";
            break;
        case ERROR_ACCESS_DENIED:
            text = "Access is denied.";
            break;
        case ERROR_INVALID_HANDLE:
            text = "The handle is invalid.";
            break;
        case ERROR_NOT_ENOUGH_MEMORY:
            text = "Not enough memory resources are available to process this command.";
            break;
        case ERROR_INVALID_DATA:
            text = "The data is invalid.";
            break;
        case ERROR_WRITE_FAULT:
            text = "The system cannot write to the specified device.";
            break;
        case ERROR_FILE_EXISTS:
            text = "The file exists.";
            break;
        case ERROR_INVALID_PARAMETER:
            text = "The parameter is incorrect.";
            break;
        case ERROR_DISK_FULL:
            text = "There is not enough space on the disk.";
            break;
        case ERROR_BUSY:
            text = "The requested resource is in use.";
            break;
        case ERROR_INSUFFICIENT_BUFFER:
            text = "The data area passed to a system call is too small.";
            break;
        case ERROR_INVALID_LEVEL:
            text = "The system call level is not correct.";
            break;
        case ERROR_ALREADY_EXISTS:
            text = "Cannot create a file when that file already exists.";
            break;
        case ERROR_MORE_DATA:
            text = "More data is available.";
            break;
        case ERROR_NO_MORE_ITEMS:
            text = "No more data is available.";
            break;
        case ERROR_BADDB:
            text = "The configuration registry database is corrupt.";
            break;
        case ERROR_BADKEY:
            text = "The configuration registry key is invalid.";
            break;
        case ERROR_CANTOPEN:
            text = "The configuration registry key could not be opened.";
            break;
        case ERROR_CANTREAD:
            text = "The configuration registry key could not be read.";
            break;
        case ERROR_CANTWRITE:
            text = "The configuration registry key could not be written.";
            break;
        case ERROR_REGISTRY_IO_FAILED:
            text =
                "An I/O operation initiated by the registry failed unrecoverably. The registry "
                "could not read in, or write out, or flush, one of the files that contain the "
                "system's image of the registry.";
            break;
        case ERROR_KEY_DELETED:
            text =
                "Illegal operation attempted on a registry key that has been marked for deletion.";
            break;
        case ERROR_BAD_DEVICE:
            text = "The specified device name is invalid.";
            break;
        case ERROR_UNSUPPORTED_TYPE:
            text = "Data of this type is not supported.";
            break;
        case ERROR_INVALID_PRINTER_NAME:
            text = "The printer name is invalid.";
            break;
        case ERROR_NOT_CONNECTED:
            text = "This network connection does not exist.";
            break;
        default:
            break;
    }
    if (text == nullptr) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Unknown error (0x%lx).", static_cast<unsigned long>(code));
        return std::string(buf) + "\r\n";
    }
    return std::string(text) + "\r\n";
}

std::string SystemMessageLine(long code) {
    std::string text = SystemMessageText(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}  // namespace qx
