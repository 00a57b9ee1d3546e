// Another process for the named-event tests: reads one command a line from
// stdin and answers each with one line on stdout.
//   create NAME manual|auto 0|1   ->  "<error> <existed>"
//   open NAME                     ->  "<error>"
//   openfile PATH                 ->  "<error>" of opening the file directly
//   set | reset | close           ->  "1" or "0"
//   wait MS                       ->  "signalled", "timedout" or "failed"
// It holds whatever it opened until it is told to close, reaches the end of
// its input or is killed.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/sync/NamedEvent.h"
#include "platform/system/Win32Error.h"

int main() {
    qx::NamedEvent event;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command, arg;
        in >> command;
        if (command == "create") {
            std::string name, mode;
            int set = 0;
            in >> name >> mode >> set;
            bool existed = false;
            long err = event.Create(name,
                                    mode == "manual" ? qx::NamedEvent::ResetMode::Manual
                                                     : qx::NamedEvent::ResetMode::Auto,
                                    set != 0, &existed);
            std::cout << err << ' ' << existed << std::endl;
        } else if (command == "open") {
            in >> arg;
            std::cout << event.Open(arg) << std::endl;
        } else if (command == "openfile") {
            in >> arg;
            int fd = open(arg.c_str(), O_RDWR);
            std::cout << (fd < 0 ? qx::Win32ErrorFromErrno(errno) : 0) << std::endl;
            if (fd >= 0)
                close(fd);
        } else if (command == "set") {
            std::cout << event.Set() << std::endl;
        } else if (command == "reset") {
            std::cout << event.Reset() << std::endl;
        } else if (command == "close") {
            event.Close();
            std::cout << 1 << std::endl;
        } else if (command == "wait") {
            long ms = 0;
            in >> ms;
            auto r = event.Wait(std::chrono::milliseconds(ms));
            std::cout << (r == qx::NamedEvent::WaitResult::Signalled  ? "signalled"
                          : r == qx::NamedEvent::WaitResult::TimedOut ? "timedout"
                                                                      : "failed")
                      << std::endl;
        } else {
            std::cout << "?" << std::endl;
        }
    }
    return 0;
}
