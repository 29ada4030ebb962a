// One application object for every test of the engine's windows: the widgets need it, and posted
// messages its event loop. Windows are made but, off a display, never reach a screen.

#include "engine/model/EngineClasses.h"
#include "platform/ui/Application.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TEngineUiTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "test_engineui";
        static char* argv[] = {arg0, nullptr};
        if (!QCoreApplication::instance())
            FApp = std::make_unique<tessiv::TQtApplication>(argc, argv);
        tessiv::RegisterEngineClasses();
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<tessiv::TQtApplication> FApp;
};

[[maybe_unused]] auto* const EngineUiEnvironment = ::testing::AddGlobalTestEnvironment(new TEngineUiTestEnvironment);

} // namespace
