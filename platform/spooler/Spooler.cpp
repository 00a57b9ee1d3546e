#include "Spooler.h"

#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "SpoolerStore.h"
#include "platform/system/Win32Error.h"

namespace qx::spool {

namespace {

std::mutex g_hookMutex;
Spooler::EnumPrintersHook g_hook;

size_t TextSize(const std::string& s) {
    return s.size() + 1;
}

size_t RecordTextSize(const PrinterRecord& r) {
    size_t n = TextSize(r.printerName) + TextSize(r.shareName) + TextSize(r.portName) +
               TextSize(r.driverName) + TextSize(r.comment) + TextSize(r.location) +
               TextSize(r.sepFile) + TextSize(r.printProcessor) + TextSize(r.datatype) +
               TextSize(r.parameters);
    if (r.isConnection)
        n += TextSize(r.serverName);
    return n;
}

// Writes the records and, behind them, their texts into the buffer; the
// caller has checked that `needed` bytes fit.
void Pack(const std::vector<PrinterRecord>& records, void* buffer) {
    auto* infos = static_cast<PrinterInfo2*>(buffer);
    char* text = static_cast<char*>(buffer) + records.size() * sizeof(PrinterInfo2);
    auto put = [&text](const std::string& s) {
        std::memcpy(text, s.c_str(), s.size() + 1);
        const char* at = text;
        text += s.size() + 1;
        return at;
    };
    for (size_t i = 0; i < records.size(); ++i) {
        const PrinterRecord& r = records[i];
        PrinterInfo2 info{};
        info.pServerName = r.isConnection ? put(r.serverName) : nullptr;
        info.pPrinterName = put(r.printerName);
        info.pShareName = put(r.shareName);
        info.pPortName = put(r.portName);
        info.pDriverName = put(r.driverName);
        info.pComment = put(r.comment);
        info.pLocation = put(r.location);
        info.pSepFile = put(r.sepFile);
        info.pPrintProcessor = put(r.printProcessor);
        info.pDatatype = put(r.datatype);
        info.pParameters = put(r.parameters);
        info.Attributes = r.attributes;
        info.Priority = r.priority;
        info.DefaultPriority = r.defaultPriority;
        info.StartTime = r.startTime;
        info.UntilTime = r.untilTime;
        std::memcpy(&infos[i], &info, sizeof info);
    }
}

long CheckBuffer(uint32_t level, const void* buffer, uint32_t size) {
    if (level != 2)
        return ERROR_INVALID_LEVEL;
    if (buffer == nullptr && size != 0)
        return ERROR_INVALID_PARAMETER;
    if (buffer != nullptr && reinterpret_cast<uintptr_t>(buffer) % alignof(PrinterInfo2) != 0)
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

// Size check and packing shared by both calls.
long Answer(const std::vector<PrinterRecord>& records, void* buffer, uint32_t size,
            uint32_t& needed) {
    size_t total = records.size() * sizeof(PrinterInfo2);
    for (const auto& r : records)
        total += RecordTextSize(r);
    if (total > std::numeric_limits<uint32_t>::max()) {
        needed = 0;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    needed = static_cast<uint32_t>(total);
    if (size < needed)
        return ERROR_INSUFFICIENT_BUFFER;
    if (needed)
        Pack(records, buffer);
    return ERROR_SUCCESS;
}

}  // namespace

long Spooler::EnumPrinters(uint32_t flags, uint32_t level, void* buffer, uint32_t size,
                           uint32_t& needed, uint32_t& returned) {
    needed = 0;
    returned = 0;
    EnumPrintersAnswer answer{CheckBuffer(level, buffer, size), 0, 0, size};
    if (answer.error == ERROR_SUCCESS) {
        auto records = SpoolerStore::ReadPrinters(flags);
        answer.error = Answer(records, buffer, size, answer.needed);
        if (answer.error == ERROR_SUCCESS)
            answer.returned = static_cast<uint32_t>(records.size());
    }
    EnumPrintersHook hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_hook;
    }
    if (hook)
        hook(answer);
    needed = answer.needed;
    returned = answer.error == ERROR_SUCCESS ? answer.returned : 0;
    return answer.error;
}

long Spooler::GetPrinter(const char* name, uint32_t level, void* buffer, uint32_t size,
                         uint32_t& needed) {
    needed = 0;
    if (long err = CheckBuffer(level, buffer, size))
        return err;
    PrinterRecord rec;
    if (name == nullptr || !SpoolerStore::ReadPrinter(name, rec))
        return ERROR_INVALID_PRINTER_NAME;
    return Answer({rec}, buffer, size, needed);
}

std::string Spooler::DefaultPrinterName() {
    return SpoolerStore::DefaultPrinterName();
}

Spooler::EnumPrintersHook Spooler::SetEnumPrintersHookForTesting(EnumPrintersHook hook) {
    std::lock_guard lock(g_hookMutex);
    std::swap(g_hook, hook);
    return hook;
}

}  // namespace qx::spool
