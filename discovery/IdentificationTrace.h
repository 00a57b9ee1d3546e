#pragma once
// The trace lines of one address's identification, kept back and written
// together, so that identifications running side by side still leave each
// address's lines in one block, in the order the addresses were handed in.

#include <string>
#include <vector>

namespace qx {

class CIdentificationTrace {
  public:
    CIdentificationTrace();
    void operator()(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Writes the kept lines to the trace and forgets them.
    void Flush();
    const std::vector<std::string>& Lines() const { return m_lines; }

  private:
    bool m_bEnabled;
    std::vector<std::string> m_lines;
};

}  // namespace qx
