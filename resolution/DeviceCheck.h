#pragma once
// SNMP checks of a candidate device: whether a host is one of the maker's
// devices (by its sysObjectID), and whether a device holds a print queue of
// a given name. Both wait up to 1000 hundredths of a second per exchange.

#include <string_view>

namespace qx {

constexpr unsigned kDeviceCheckTimeout = 1000;  // hundredths of a second
constexpr const char* kQueueNameColumn = "1.3.6.1.4.1.32473.2.3.50.1.6.1.6.1.1.1.1.2.1.";
constexpr int kQueueNameRows = 10;

// 3: the host resolves, answers SNMP and its sysObjectID holds one of the
// maker's device arcs; 4: it does not resolve, does not answer, or is another
// device. -2 stands for an SNMP session that cannot be made; the SNMP layer
// reports that as a failed exchange, so here it gives 4 like a silent host.
int ismfpaddress(std::string_view host);

// 1 when one of the first ten rows of the device's queue-name column (asked
// by GET-NEXT of the column followed by the row number) equals the queue name
// without regard to case; 0 on the first "No such name", a failed exchange,
// no address or queue name, or after ten rows.
int CheckPrinterQueName(std::string_view address, std::string_view queueName);

}  // namespace qx
