#pragma once
// The application object: start-up, registration, the message loop and the
// exit hook, in the order the server has always kept. As on its original
// framework, the initialisation hook does all the work and reports failure,
// so that the exit hook runs right after it.

#include <memory>
#include <string>

namespace qx {

class LanguageLibrary;
class CClassObjects;
class CEventLogWriter;

class CKORVALENMISvrApp {
  public:
    CKORVALENMISvrApp(int argc, char** argv);
    ~CKORVALENMISvrApp();

    // Runs the initialisation hook, then the exit hook; returns the exit
    // code: 0, or 1 when start-up failed before the server could work
    // (language library, object runtime or sockets missing), when
    // "RegServer" or "UnregServer" failed, or when the classes could not be
    // offered on the bus.
    int Run();

  private:
    bool InitInstance();
    int ExitInstance();
    void RunMessageLoop();
    // Ends with exit code 1: the message on stderr and in the trace.
    void Fail(const std::string& message);

    std::string m_commandLine;
    std::string m_programPath;
    bool m_bRunAsServer = false;
    bool m_startFailed = false;
    int m_exitCode = 0;
    bool m_socketsStarted = false;
    bool m_comStarted = false;
    std::unique_ptr<LanguageLibrary> m_language;
    std::unique_ptr<CEventLogWriter> m_eventLog;
    std::unique_ptr<CClassObjects> m_classObjects;
};

}  // namespace qx
