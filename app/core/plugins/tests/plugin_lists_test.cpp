// The plug-in list files and the program's loaded lists: the shipped
// "Serializers.xml" and "Overlays.xml", and the failures of bad lists.
#include <gtest/gtest.h>

#include <string>

#include "hex_test_support.h"
#include "kelvane/core/plugin_lists.h"
#include "plugin_library.h"

namespace kv {
namespace {

const std::string kBin = KELVANE_BIN_DIR;

std::string ListFile(const std::string& root, const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE " + root +
           " [\n<!ATTLIST Module Name CDATA #IMPLIED Abbrev CDATA #IMPLIED>\n]>\n<" + root + ">\n" +
           body + "</" + root + ">\n";
}

std::string Module(const std::string& name, const std::string& abbrev) {
    return "<Module Name=\"" + name + "\" Abbrev=\"" + abbrev + "\"/>\n";
}

class PluginListsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        CSerializerPlugins::UnloadSerializerModules();
        COverlayPlugins::UnloadOverlayModules();
    }

    // Loads a serializer list written from the text and expects one message.
    std::string SerializerFailure(const std::string& content) {
        const std::string path = dir_.write("Serializers.xml", content);
        test::MessageBoxRecorder boxes;
        EXPECT_EQ(CSerializerPlugins::LoadSerializerModules(path), 0);
        EXPECT_EQ(CSerializerPlugins::GetSerializerModules(), nullptr);
        EXPECT_EQ(CSerializerPlugins::GetSerializerAlgorithms(), nullptr);
        return boxes.calls().size() == 1 ? boxes.calls()[0].text : "<no single message box>";
    }

    test::TempDir dir_;
};

TEST_F(PluginListsTest, ShippedSerializerListLoadsVossil) {
    test::MessageBoxRecorder boxes;
    ASSERT_EQ(CSerializerPlugins::LoadSerializerModules(kBin + "/Serializers.xml"), 1);
    EXPECT_TRUE(boxes.calls().empty());
    const CArraySerializerModule* modules = CSerializerPlugins::GetSerializerModules();
    ASSERT_NE(modules, nullptr);
    ASSERT_EQ(modules->GetSize(), 1u);
    EXPECT_EQ(modules->GetAt(0)->GetName(), "libvossil.so");
    EXPECT_TRUE(modules->GetAt(0)->IsOpen());

    const CArraySerializerAlgorithm* algorithms = CSerializerPlugins::GetSerializerAlgorithms();
    ASSERT_NE(algorithms, nullptr);
    ASSERT_EQ(algorithms->GetSize(), 3u);
    EXPECT_EQ(algorithms->GetAt(1)->GetLabel(), "WORD (SS)");
    CSerializerAlgorithm* word = algorithms->Find("libvossil.so", "WORD");
    ASSERT_EQ(word, algorithms->GetAt(1));
    EXPECT_EQ(algorithms->Find("LibVossil.so", "WORD"), nullptr);

    CSerializerPlugins::UnloadSerializerModules();
    EXPECT_EQ(CSerializerPlugins::GetSerializerModules(), nullptr);
    EXPECT_EQ(CSerializerPlugins::GetSerializerAlgorithms(), nullptr);
}

TEST_F(PluginListsTest, ShippedOverlayListLoadsGantrel) {
    ASSERT_EQ(COverlayPlugins::LoadOverlayModules(kBin + "/Overlays.xml"), 1);
    const CArrayOverlayAlgorithm* algorithms = COverlayPlugins::GetOverlayAlgorithms();
    ASSERT_NE(algorithms, nullptr);
    ASSERT_EQ(algorithms->GetSize(), 4u);
    EXPECT_EQ(algorithms->GetAt(0)->GetLabel(), "Hex BYTE (SO)");
    COverlayAlgorithm* text = algorithms->Find("libgantrel.so", "String");
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->Parse("Kelvane"), 1);
    std::string next;
    ASSERT_EQ(text->GetNextValue(next), 1);
    EXPECT_EQ(next, "Kelvane");
    // Loading again starts from scratch.
    ASSERT_EQ(COverlayPlugins::LoadOverlayModules(kBin + "/Overlays.xml"), 1);
    EXPECT_EQ(COverlayPlugins::GetOverlayAlgorithms()->GetSize(), 4u);
}

TEST_F(PluginListsTest, ModulesKeepListOrder) {
    const std::string path =
        dir_.write("Serializers.xml",
                   ListFile("Serializers", Module("libkvfake_twoalgorithms.so", "T") +
                                               "<Other/>\n" + Module("libvossil.so", "SS")));
    ASSERT_EQ(CSerializerPlugins::LoadSerializerModules(path), 1);
    const CArraySerializerAlgorithm* algorithms = CSerializerPlugins::GetSerializerAlgorithms();
    ASSERT_EQ(algorithms->GetSize(), 5u);
    EXPECT_EQ(algorithms->GetAt(0)->GetLabel(), "ALPHA (T)");
    EXPECT_EQ(algorithms->GetAt(4)->GetLabel(), "DWORD (SS)");
}

TEST_F(PluginListsTest, RootMustNameTheKind) {
    const std::string path = dir_.path("Serializers.xml");
    EXPECT_EQ(SerializerFailure(ListFile("Serializer", Module("libvossil.so", "SS"))),
              "Could not load serializer modules from " + path +
                  "\nRoot element name for the serializer modules must be 'Serializers'");
    EXPECT_EQ(
        SerializerFailure(ListFile("Serializers", "<!-- nothing here -->\n")),
        "Could not load serializer modules from " + path + "\nDid not find any Serializer Modules");

    const std::string overlays =
        dir_.write("Overlays.xml", ListFile("Serializers", Module("libgantrel.so", "SO")));
    test::MessageBoxRecorder boxes;
    EXPECT_EQ(COverlayPlugins::LoadOverlayModules(overlays), 0);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text,
              "Could not load overlay modules from " + overlays +
                  "\nRoot element name for the overlay modules must be 'Overlays'");
    dir_.write("Overlays.xml", ListFile("Overlays", ""));
    EXPECT_EQ(COverlayPlugins::LoadOverlayModules(overlays), 0);
    ASSERT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(boxes.calls()[1].text, "Could not load overlay modules from " + overlays +
                                         "\nDid not find any Overlay Modules");
}

TEST_F(PluginListsTest, MissingFileOrAttributeTakesTheReaderText) {
    const std::string missing = SerializerFailure("");
    const std::string prefix =
        "Could not load serializer modules from " + dir_.path("Serializers.xml") + "\n";
    EXPECT_EQ(missing.rfind(prefix, 0), 0u);
    EXPECT_GT(missing.size(), prefix.size());

    const std::string noAbbrev =
        SerializerFailure(ListFile("Serializers", "<Module Name=\"libvossil.so\"/>\n"));
    EXPECT_EQ(noAbbrev.rfind(prefix, 0), 0u);
    EXPECT_GT(noAbbrev.size(), prefix.size());
}

TEST_F(PluginListsTest, AModuleThatFailsToOpenUnloadsEverything) {
    const std::string path = dir_.path("Serializers.xml");
    EXPECT_EQ(SerializerFailure(ListFile(
                  "Serializers", Module("libvossil.so", "SS") + Module("libmissing.so", "M"))),
              "Could not load serializer modules from " + path +
                  "\nUnable to open DLL libmissing.so:  00000002\n" +
                  plugin::GetProgramDirectory() + "/libmissing.so: No such file");
    EXPECT_EQ(SerializerFailure(ListFile("Serializers", Module("libkvfake_nooverlay.so", "N"))),
              "Could not load serializer modules from " + path +
                  "\nUnable to enumerate 'Serializer_Overlay' in 'libkvfake_nooverlay.so'");
}

TEST_F(PluginListsTest, AModuleWithoutAlgorithmsUnloadsEverything) {
    EXPECT_EQ(
        SerializerFailure(ListFile("Serializers", Module("libvossil.so", "SS") +
                                                      Module("libkvfake_noalgorithms.so", "N"))),
        "Could not load serializer algorithms from libkvfake_noalgorithms.so\n"
        "Did not load any serializer algorithms");
}

}  // namespace
}  // namespace kv
