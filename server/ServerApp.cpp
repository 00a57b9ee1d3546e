#include "ServerApp.h"

#include <QApplication>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "ClassObjects.h"
#include "CommandLine.h"
#include "ObjectTable.h"
#include "Registration.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ServerModule.h"
#include "platform/gui/MessageBox.h"
#include "platform/lang/LanguageLibrary.h"
#include "platform/net/SocketLayer.h"
#include "platform/system/ProgramPath.h"
#include "trace/EventLogWriter.h"
#include "trace/Trace.h"

namespace qx {

namespace {

constexpr uint32_t kOleInitFailedString = 37;
constexpr uint16_t kSocketsVersion = 0x0002;  // 2.0
// Lets threads that are still ending finish before the process goes.
constexpr std::chrono::milliseconds kQuitPause{1000};

}  // namespace

CKORVALENMISvrApp::CKORVALENMISvrApp(int argc, char** argv)
    : m_commandLine(JoinCommandLine(argc, argv)), m_programPath(ProgramFilePath()) {}

CKORVALENMISvrApp::~CKORVALENMISvrApp() = default;

int CKORVALENMISvrApp::Run() {
    InitInstance();
    return ExitInstance();
}

bool CKORVALENMISvrApp::InitInstance() {
    m_language = LanguageLibrary::Load();
    if (!m_language) {
        m_startFailed = true;
        return false;
    }
    // The event source is registered at every start, so that the log knows
    // it before the first event.
    m_eventLog = std::make_unique<CEventLogWriter>(m_programPath);

    HRESULT hr = CoInitialize();
    if (FAILED(hr)) {
        MessageBoxRequest box;
        box.text = m_language->String(kOleInitFailedString);
        box.taskModal = true;
        ShowMessageBox(box);
        m_language.reset();
        m_startFailed = true;
        return false;
    }
    m_comStarted = true;

    if (!SocketLayerStartup(kSocketsVersion)) {
        Trace(kTracePrefix, "Unable to load Winsock2");
        m_language.reset();
        m_startFailed = true;
        return false;
    }
    m_socketsStarted = true;

    // Every start registers the classes and the type library again, so that a
    // program file that was moved is found where it now is.
    RegisterServer(m_programPath);

    m_bRunAsServer = true;
    // A registration asked for on the command line must not report success
    // when the classes are not (or still) registered.
    std::string failures;
    switch (ScanCommandLine(m_commandLine)) {
        case CommandLineAction::UnregServer: {
            bool ok = UpdateRegistryFromAllScripts(false, m_programPath, &failures);
            ok = UnregisterServer(&failures) && ok;
            m_bRunAsServer = false;
            if (!ok)
                Fail("unregistration failed: " + failures);
            break;
        }
        case CommandLineAction::RegServer: {
            bool ok = UpdateRegistryFromAllScripts(true, m_programPath, &failures);
            ok = RegisterServer(m_programPath, &failures) && ok;
            m_bRunAsServer = false;
            DeleteRunValue();
            if (!ok)
                Fail("registration failed: " + failures);
            break;
        }
        case CommandLineAction::RunServer:
            break;
    }

    if (m_bRunAsServer)
        RunMessageLoop();

    m_language.reset();
    return false;
}

void CKORVALENMISvrApp::RunMessageLoop() {
    QCoreApplication* app = QCoreApplication::instance();
    bool monitoring = TheServerModule().StartMonitor([this, app] {
        QMetaObject::invokeMethod(
            app,
            [this] {
                // A client may have created an object while the request was
                // on its way: only a server that is still idle quits. Its
                // classes go at once, so that a creation that arrives from
                // now on is told the server is stopping (and the bus starts
                // a new one) instead of getting an object that dies with it.
                if (!TheServerModule().ConfirmQuit())
                    return;
                m_classObjects->Revoke();
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    });
    if (!monitoring)
        Trace(kTracePrefix, "The shutdown monitor could not be started");

    m_classObjects = std::make_unique<CClassObjects>();
    // Without the bus nobody can reach the server any more.
    QObject::connect(m_classObjects.get(), &CClassObjects::BusLost, app,
                     [] { QCoreApplication::quit(); });
    QString error;
    if (!m_classObjects->Register(&error)) {
        // Nobody could ever create an object, so the monitor would never
        // see a drop to zero: end now rather than run unseen for ever.
        const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        std::string where = address && *address ? address : "(DBUS_SESSION_BUS_ADDRESS not set)";
        std::string reason = error.toStdString();
        const char* strings[] = {where.c_str(), reason.c_str()};
        m_eventLog->Report(EVENTLOG_ERROR_TYPE, kEventServerUnreachable, 2, strings);
        Fail("cannot offer the classes on the session bus " + where + ": " + reason);
        return;
    }

    QCoreApplication::exec();

    m_classObjects->Revoke();
    std::this_thread::sleep_for(kQuitPause);
}

void CKORVALENMISvrApp::Fail(const std::string& message) {
    std::fprintf(stderr, "AL1MISvr: %s\n", message.c_str());
    Trace(kTracePrefix, "%s", message.c_str());
    m_exitCode = 1;
}

int CKORVALENMISvrApp::ExitInstance() {
    if (m_bRunAsServer && m_classObjects)
        m_classObjects->Revoke();
    // The server module's shutdown.
    TheServerModule().StopMonitor();
    if (m_classObjects) {
        m_classObjects->ReleaseAll();
        m_classObjects.reset();
    }
    if (m_socketsStarted)
        SocketLayerCleanup();
    if (m_comStarted)
        CoUninitialize();
    return m_startFailed ? 1 : m_exitCode;
}

}  // namespace qx
