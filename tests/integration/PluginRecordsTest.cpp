// The records the real plugin DLL hands to its host.
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

TEST(PluginRecords, HeaderAndModuleCarryTheExpectedValues) {
    PluginSession s;
    ASSERT_TRUE(s.Start());  // the host has the DLL loaded only while it runs
    const winampVisHeader* header = s.Host().Header();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->version, 0x101);
    EXPECT_STREQ(header->description, "Velmor Lyrics plugin!!!! v3.0M");
    winampVisModule* module = header->getModule(0);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module, header->getModule(0));
    EXPECT_EQ(module, s.Host().Module());
    EXPECT_EQ(header->getModule(1), nullptr);
    EXPECT_EQ(header->getModule(-1), nullptr);
    EXPECT_STREQ(module->description, "Velmor Lyrics plugin");
    EXPECT_EQ(module->latencyMs, 25);
    EXPECT_EQ(module->delayMs, 25);
    EXPECT_EQ(module->spectrumNch, 2);
    EXPECT_EQ(module->waveformNch, 2);
    EXPECT_EQ(module->userData, nullptr);
    EXPECT_NE(module->Config, nullptr);
    EXPECT_NE(module->Init, nullptr);
    EXPECT_NE(module->Render, nullptr);
    EXPECT_NE(module->Quit, nullptr);
    // Filled by the host.
    EXPECT_EQ(module->hwndParent, s.Host().MainWindow());
    EXPECT_NE(module->hDllInstance, nullptr);
}

TEST(PluginRecords, RenderWithoutAModuleDoesNothing) {
    PluginSession s;
    ASSERT_TRUE(s.Start());
    winampVisModule* module = s.Host().Module();
    int result = -1;
    s.Host().RunOnVisThread([&] { result = module->Render(nullptr); });
    EXPECT_EQ(result, 0);
}
