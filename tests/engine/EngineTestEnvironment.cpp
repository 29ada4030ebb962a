// One application object for every test of the engine: fonts and the printer list need the GUI
// application, and posted messages its event loop. No window is ever shown.

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TEngineTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "test_engine";
        static char* argv[] = {arg0, nullptr};
        if (!QCoreApplication::instance())
            FApp = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<QGuiApplication> FApp;
};

[[maybe_unused]] auto* const EngineEnvironment = ::testing::AddGlobalTestEnvironment(new TEngineTestEnvironment);

} // namespace
