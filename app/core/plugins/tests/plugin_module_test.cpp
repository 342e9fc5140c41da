// Plug-in modules and algorithms over the real Vossil and Gantrel libraries
// and over test plug-ins that fail in particular ways.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hex_test_support.h"
#include "kelvane/core/plugin_algorithm.h"
#include "kelvane/core/plugin_algorithm_array.h"
#include "kelvane/core/plugin_module.h"
#include "plugin_library.h"

namespace kv {
namespace {

TEST(PluginModuleTest, VossilBindsAndRendersASerialNumber) {
    CSerializerModule module("libvossil.so", "SS");
    EXPECT_EQ(module.GetLastError(), "No error");
    ASSERT_EQ(module.Open(), 1) << module.GetLastError();
    EXPECT_TRUE(module.IsOpen());
    ASSERT_EQ(module.GetAlgorithmCount(), 3);
    std::vector<std::string> names;
    for (std::int32_t index = 0; index < 3; ++index) {
        std::string name;
        ASSERT_EQ(module.GetAlgorithmName(index, name), 1);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"BYTE", "WORD", "DWORD"}));
    EXPECT_EQ(module.GetInitialValueString(1), "0");

    ASSERT_EQ(module.Parse(1, "4660"), 1);
    ASSERT_EQ(module.GetOverlaySize(1), 2u);
    std::uint8_t buffer[2] = {};
    ASSERT_EQ(module.Overlay(1, buffer, sizeof buffer), 1);
    EXPECT_EQ(buffer[0], 0x34);
    EXPECT_EQ(buffer[1], 0x12);
    std::string next;
    ASSERT_EQ(module.GetNextValueString(1, next), 1);
    EXPECT_EQ(next, "4661");
    module.Close();
    EXPECT_FALSE(module.IsOpen());
}

TEST(PluginModuleTest, PluginFailuresCarryThePluginText) {
    CSerializerModule module("libvossil.so", "SS");
    ASSERT_EQ(module.Open(), 1);
    EXPECT_EQ(module.Parse(0, ""), 0);
    EXPECT_EQ(module.TakeLastError(), "Unable to convert '' to the desired format");
    EXPECT_EQ(module.Parse(0, "256"), 0);
    EXPECT_EQ(module.TakeLastError(), "Value '256' out of range for BYTE algorithm");
    EXPECT_EQ(module.GetOverlaySize(7), 0u);
    EXPECT_EQ(module.TakeLastError(), "Unsupported algorithm index 7");
    std::string name = "kept";
    EXPECT_EQ(module.GetAlgorithmName(3, name), 0);
    EXPECT_EQ(module.TakeLastError(), "Algorithm index too large");
    EXPECT_EQ(name, "kept");
    ASSERT_EQ(module.Parse(1, "1"), 1);
    std::uint8_t small[1] = {};
    EXPECT_EQ(module.Overlay(1, small, sizeof small), 0);
    EXPECT_EQ(module.TakeLastError(), "Buffer too small for WORD algorithm");
}

TEST(PluginModuleTest, GantrelIsAnOverlayModule) {
    COverlayModule module("libgantrel.so", "SO");
    ASSERT_EQ(module.Open(), 1) << module.GetLastError();
    ASSERT_EQ(module.GetAlgorithmCount(), 4);
    std::string name;
    ASSERT_EQ(module.GetAlgorithmName(3, name), 1);
    EXPECT_EQ(name, "String");
    ASSERT_EQ(module.Parse(3, "AB"), 1);
    std::vector<std::uint8_t> buffer(module.GetOverlaySize(3), 0xFF);
    ASSERT_GE(buffer.size(), 3u);
    ASSERT_EQ(module.Overlay(3, buffer.data(), static_cast<std::uint32_t>(buffer.size())), 1);
    EXPECT_EQ(buffer[0], 'A');
    EXPECT_EQ(buffer[1], 'B');
    EXPECT_EQ(buffer[2], 0);
}

TEST(PluginModuleTest, MissingLibraryGivesTheSystemCode) {
    CSerializerModule module("libnothere.so", "X");
    EXPECT_EQ(module.Open(), 0);
    EXPECT_EQ(module.GetLastError(), "Unable to open DLL libnothere.so:  00000002\n" +
                                         plugin::GetProgramDirectory() +
                                         "/libnothere.so: No such file");
    EXPECT_FALSE(module.IsOpen());
}

TEST(PluginModuleTest, FileThatIsNoLibraryCannotBeLoaded) {
    test::TempDir dir;
    const std::string path = dir.write("libtext.so", "not a library\n");
    CSerializerModule module(path, "X");
    EXPECT_EQ(module.Open(), 0);
    // The loader's reason follows the code.
    EXPECT_EQ(module.GetLastError(),
              "Unable to open DLL " + path + ":  00000008\n" + path + ": file too short");
}

TEST(PluginModuleTest, EveryEntryPointMustBeExported) {
    CSerializerModule module("libkvfake_nooverlay.so", "X");
    EXPECT_EQ(module.Open(), 0);
    EXPECT_EQ(module.GetLastError(),
              "Unable to enumerate 'Serializer_Overlay' in 'libkvfake_nooverlay.so'");
    EXPECT_FALSE(module.IsOpen());

    // A serializer library offers no overlay entry points.
    COverlayModule overlay("libvossil.so", "X");
    EXPECT_EQ(overlay.Open(), 0);
    EXPECT_EQ(overlay.GetLastError(),
              "Unable to enumerate 'Overlay_GetLastError' in 'libvossil.so'");
}

TEST(PluginModuleTest, PluginThatRefusesToOpenIsReleased) {
    CSerializerModule module("libkvfake_refusesopen.so", "X");
    EXPECT_EQ(module.Open(), 0);
    EXPECT_EQ(module.GetLastError(),
              "Unable to open DLL libkvfake_refusesopen.so:\nPlug-in refuses to open");
    EXPECT_FALSE(module.IsOpen());
}

TEST(PluginModuleTest, UnboundEntryPointsNameThemselves) {
    COverlayModule module("libgantrel.so", "SO");
    EXPECT_EQ(module.GetAlgorithmCount(), -1);
    EXPECT_EQ(module.TakeLastError(), "NULL pointer to Overlay_GetAlgorithmCount()");
    EXPECT_EQ(module.GetInitialValueString(0), "");
    EXPECT_EQ(module.TakeLastError(), "NULL pointer to Overlay_GetInitialValueString()");
    EXPECT_EQ(module.Parse(0, "1"), 0);
    EXPECT_EQ(module.TakeLastError(), "NULL pointer to Overlay_Parse()");
    EXPECT_EQ(module.GetOverlaySize(0), 0u);
    EXPECT_EQ(module.TakeLastError(), "NULL pointer to Overlay_GetOverlaySize()");
    std::uint8_t byte = 0;
    EXPECT_EQ(module.Overlay(0, &byte, 1), 0);
    EXPECT_EQ(module.TakeLastError(), "NULL pointer to Overlay_Overlay()");
    std::string text;
    EXPECT_EQ(module.GetNextValueString(0, text), 0);
    EXPECT_EQ(module.TakeLastError(), "NULL pointer to Overlay_GetNextValueString()");
    EXPECT_EQ(module.GetAlgorithmName(0, text), 0);
    EXPECT_EQ(module.TakeLastError(), "NULL pointer to Overlay_GetAlgorithmName()");
}

TEST(PluginAlgorithmTest, BoundAlgorithmUsesItsIndexAndLabel) {
    CSerializerModule module("libvossil.so", "SS");
    ASSERT_EQ(module.Open(), 1);
    CSerializerAlgorithm algorithm;
    EXPECT_EQ(algorithm.GetIndex(), -1);
    EXPECT_EQ(algorithm.GetModuleName(), "Unknown");
    ASSERT_EQ(algorithm.Init(1, &module), 1);
    EXPECT_EQ(algorithm.GetName(), "WORD");
    EXPECT_EQ(algorithm.GetLabel(), "WORD (SS)");
    EXPECT_EQ(algorithm.GetModuleName(), "libvossil.so");
    EXPECT_TRUE(algorithm.Matches("libvossil.so", "WORD"));
    EXPECT_FALSE(algorithm.Matches("LIBVOSSIL.SO", "WORD"));
    EXPECT_FALSE(algorithm.Matches("libvossil.so", "word"));

    EXPECT_EQ(algorithm.GetInitialValue(), "0");
    ASSERT_EQ(algorithm.Parse("65535"), 1);
    EXPECT_EQ(algorithm.GetOverlaySize(), 2u);
    std::uint8_t buffer[2] = {};
    ASSERT_EQ(algorithm.Render(buffer, sizeof buffer), 1);
    EXPECT_EQ(buffer[0], 0xFF);
    std::string next;
    ASSERT_EQ(algorithm.GetNextValue(next), 1);
    EXPECT_EQ(next, "65536");
    EXPECT_EQ(algorithm.Parse("65536"), 0);
    EXPECT_EQ(algorithm.TakeLastError(), "Value '65536' out of range for WORD algorithm");
    EXPECT_EQ(module.GetLastError(), "");

    algorithm.Reset();
    EXPECT_EQ(algorithm.GetIndex(), -1);
    EXPECT_EQ(algorithm.GetModule(), nullptr);
}

TEST(PluginAlgorithmTest, WithoutModuleEveryCallFails) {
    CSerializerAlgorithm serializer;
    EXPECT_EQ(serializer.GetInitialValue(), "");
    EXPECT_EQ(serializer.Parse("1"), 0);
    EXPECT_EQ(serializer.TakeLastError(), "NULL serializer module");
    std::uint8_t byte = 0;
    EXPECT_EQ(serializer.Render(&byte, 1), 0);
    EXPECT_EQ(serializer.TakeLastError(), "NULL serializer module");
    EXPECT_EQ(serializer.GetOverlaySize(), 0u);
    std::string next;
    EXPECT_EQ(serializer.GetNextValue(next), 0);
    EXPECT_EQ(serializer.TakeLastError(), "NULL serializer module");
    EXPECT_FALSE(serializer.Matches("Unknown", ""));

    COverlayAlgorithm overlay;
    EXPECT_EQ(overlay.Parse("1"), 0);
    EXPECT_EQ(overlay.GetLastError(), "NULL overlay module");
}

TEST(PluginAlgorithmArrayTest, OneAlgorithmPerIndexAcrossModules) {
    CSerializerModule vossil("libvossil.so", "SS");
    CSerializerModule fake("libkvfake_twoalgorithms.so", "T");
    ASSERT_EQ(vossil.Open(), 1);
    ASSERT_EQ(fake.Open(), 1);
    CArraySerializerAlgorithm algorithms;
    ASSERT_EQ(algorithms.LoadFromModule(&vossil), 1);
    ASSERT_EQ(algorithms.LoadFromModule(&fake), 1);
    std::vector<std::string> labels;
    for (std::size_t index = 0; index < algorithms.GetSize(); ++index)
        labels.push_back(algorithms.GetAt(index)->GetLabel());
    EXPECT_EQ(labels, (std::vector<std::string>{"BYTE (SS)", "WORD (SS)", "DWORD (SS)", "ALPHA (T)",
                                                "BETA (T)"}));
    EXPECT_EQ(algorithms.Find("libkvfake_twoalgorithms.so", "BETA"), algorithms.GetAt(4));
    EXPECT_EQ(algorithms.Find("libvossil.so", "BETA"), nullptr);
    EXPECT_EQ(algorithms.Find("libvossil.so", "Word"), nullptr);
    algorithms.FreeAll();
    EXPECT_EQ(algorithms.GetSize(), 0u);
}

TEST(PluginAlgorithmArrayTest, FailuresFreeTheWholeArray) {
    CArraySerializerAlgorithm algorithms;
    EXPECT_EQ(algorithms.LoadFromModule(nullptr), 0);
    EXPECT_EQ(algorithms.TakeLastError(), "Can not load serializer algorithms from NULL module");
    CArrayOverlayAlgorithm overlays;
    EXPECT_EQ(overlays.LoadFromModule(nullptr), 0);
    EXPECT_EQ(overlays.TakeLastError(), "Can not load overlay algorithms from NULL module");

    CSerializerModule vossil("libvossil.so", "SS");
    CSerializerModule none("libkvfake_noalgorithms.so", "N");
    CSerializerModule nullName("libkvfake_nullname.so", "Z");
    ASSERT_EQ(vossil.Open(), 1);
    ASSERT_EQ(none.Open(), 1);
    ASSERT_EQ(nullName.Open(), 1);
    ASSERT_EQ(algorithms.LoadFromModule(&vossil), 1);
    EXPECT_EQ(algorithms.LoadFromModule(&none), 0);
    EXPECT_EQ(algorithms.TakeLastError(), "Did not load any serializer algorithms");
    EXPECT_EQ(algorithms.GetSize(), 0u);

    ASSERT_EQ(algorithms.LoadFromModule(&vossil), 1);
    EXPECT_EQ(algorithms.LoadFromModule(&nullName), 0);
    EXPECT_EQ(algorithms.TakeLastError(), "No name for index 1");
    EXPECT_EQ(algorithms.GetSize(), 0u);

    // A module that is not open has no algorithm count.
    CSerializerModule closed("libvossil.so", "SS");
    EXPECT_EQ(algorithms.LoadFromModule(&closed), 0);
    EXPECT_EQ(algorithms.TakeLastError(), "NULL pointer to Serializer_GetAlgorithmCount()");
}

}  // namespace
}  // namespace kv
