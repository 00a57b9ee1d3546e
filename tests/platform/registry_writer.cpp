// Writes numbered values into the registry store as fast as it can and prints
// each number once its write has committed. Used by the multi-process test.
// Usage: registry_writer ID COUNT   (the store is QX_REGISTRY_DIR's)

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/registry/RegistryKey.h"

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    std::string id = argv[1];
    long count = std::atol(argv[2]);
    qx::reg::Key own, shared;
    if (qx::reg::Key::Create(qx::reg::Hive::CurrentUser, "Software\\Stress\\" + id, own) != 0)
        return 3;
    if (qx::reg::Key::Create(qx::reg::Hive::CurrentUser, "Software\\Stress\\Shared", shared) != 0)
        return 3;
    for (long i = 0; i < count; ++i) {
        if (own.SetDword("v" + std::to_string(i), static_cast<uint32_t>(i)) != 0)
            return 4;
        if (shared.SetString("last", id + ":" + std::to_string(i)) != 0)
            return 5;
        std::printf("%ld\n", i);
        std::fflush(stdout);
    }
    return 0;
}
