// A stand-in NetWare client library for the client check: the version it
// reports is chosen by the test through QX_TEST_NETWARE_VERSION ("4.60.2";
// "fail" makes the call fail). Built a second time without the version
// function. Each call of NWCallsInit appends a line to the file named by
// QX_TEST_NETWARE_LOG.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {

__attribute__((visibility("default"))) int NWCallsInit(void* reserved1, void* reserved2) {
    if (const char* log = std::getenv("QX_TEST_NETWARE_LOG")) {
        if (FILE* f = std::fopen(log, "a")) {
            std::fprintf(f, "NWCallsInit %s %s\n", reserved1 ? "arg" : "null",
                         reserved2 ? "arg" : "null");
            std::fclose(f);
        }
    }
    return 0;
}

#ifndef QX_STUB_WITHOUT_VERSION
__attribute__((visibility("default"))) int NWGetRequesterVersion(uint8_t* major, uint8_t* minor,
                                                                 uint8_t* revision) {
    const char* v = std::getenv("QX_TEST_NETWARE_VERSION");
    unsigned a = 0, b = 0, c = 0;
    if (v == nullptr || std::strcmp(v, "fail") == 0 || std::sscanf(v, "%u.%u.%u", &a, &b, &c) < 2)
        return 0x8801;
    *major = static_cast<uint8_t>(a);
    *minor = static_cast<uint8_t>(b);
    *revision = static_cast<uint8_t>(c);
    return 0;
}
#endif
}
