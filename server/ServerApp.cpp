#include "ServerApp.h"

#include <QApplication>
#include <QThread>

#include <chrono>
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
    switch (ScanCommandLine(m_commandLine)) {
        case CommandLineAction::UnregServer:
            for (int script = kAppIdScript; script <= kAppIdScript + kObjectTableRows; ++script)
                UpdateRegistryFromScript(script, false, m_programPath);
            UnregisterServer();
            m_bRunAsServer = false;
            break;
        case CommandLineAction::RegServer:
            for (int script = kAppIdScript; script <= kAppIdScript + kObjectTableRows; ++script)
                UpdateRegistryFromScript(script, true, m_programPath);
            RegisterServer(m_programPath);
            m_bRunAsServer = false;
            DeleteRunValue();
            break;
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
    bool monitoring = TheServerModule().StartMonitor([app] {
        QMetaObject::invokeMethod(
            app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    if (!monitoring)
        Trace(kTracePrefix, "The shutdown monitor could not be started");

    m_classObjects = std::make_unique<CClassObjects>();
    // Without the bus nobody can reach the server any more.
    QObject::connect(m_classObjects.get(), &CClassObjects::BusLost, app,
                     [] { QCoreApplication::quit(); });
    m_classObjects->Register();

    QCoreApplication::exec();

    m_classObjects->Revoke();
    std::this_thread::sleep_for(kQuitPause);
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
    return m_startFailed ? 1 : 0;
}

}  // namespace qx
