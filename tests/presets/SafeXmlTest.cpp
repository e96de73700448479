#include "presets/SafeXml.h"
#include "processor/TovalinPlugin.h"
#include "tests/ProcessorInternals.h"

#include <gtest/gtest.h>

#include <string>

using namespace tovalin;

TEST (SafeXml, OnlyWellFormedUtf8IsDecoded)
{
    const struct
    {
        std::string bytes;
        bool wellFormed;
    } cases[] = {
        {"<a/>", true},
        {"caf\xC3\xA9", true},
        {"\xE2\x82\xAC", true},     // the euro sign
        {"\xF0\x9F\x8E\xB8", true}, // a guitar
        {"<89\xEA", false},         // ends inside a three-byte sequence
        {"\xC3", false},
        {"\xF0\x9F\x8E", false},
        {"a\x80", false},            // a stray continuation byte
        {"\xC0\x80", false},         // over-long
        {"\xE0\x80\x80", false},     // over-long
        {"\xED\xA0\x80", false},     // a surrogate
        {"\xF4\x90\x80\x80", false}, // beyond Unicode
        {"\xFF", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ (isWellFormedUtf8 (c.bytes.data(), c.bytes.size()), c.wellFormed) << c.bytes;
}

TEST (SafeXml, DocumentsThatStopInsideACharacterAreRefused)
{
    const std::string cut = "<89\xEA";
    EXPECT_EQ (parseXmlBytes (cut.data(), cut.size()), nullptr);
    const std::string bom = "\xEF\xBB\xBF<Preset name=\"caf\xC3\xA9\"/>";
    const auto parsed = parseXmlBytes (bom.data(), bom.size());
    ASSERT_NE (parsed, nullptr);
    EXPECT_EQ (parsed->getStringAttribute ("name"), juce::String (juce::CharPointer_UTF8 ("caf\xC3\xA9")));

    // A processing instruction inside an element, then text: JUCE's parser would spin.
    for (const std::string hang : {"<D><?a<?>?", "<D>,z<?<?<?>?<A<A>&\x10V"})
        EXPECT_EQ (parseXmlBytes (hang.data(), hang.size()), nullptr) << hang;
    const std::string declared = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Preset name=\"x\"/>";
    EXPECT_NE (parseXmlBytes (declared.data(), declared.size()), nullptr) << "the opening declaration is fine";

    juce::TemporaryFile file;
    file.getFile().replaceWithData (cut.data(), cut.size());
    EXPECT_EQ (parseXmlFile (file.getFile()), nullptr);
}

// A chunk whose text stops inside a character changes nothing (JUCE's own reader
// would decode past its end).
TEST (SafeXml, AStateChunkCutInsideACharacterIsIgnored)
{
    TovalinPlugin plugin;
    const float colour = inside (plugin).parameters.get (ParameterTable::Color).value;
    std::string chunk = "VC2!";
    const std::string text = "<TovalinSettings><Parameter id=\"6\" value=\"0.9\"/></TovalinSettings><89\xEA";
    const juce::uint32 length = (juce::uint32) text.size();
    chunk.append (reinterpret_cast<const char*> (&length), 4);
    chunk += text;
    plugin.setStateInformation (chunk.data(), (int) chunk.size());
    EXPECT_EQ (inside (plugin).parameters.get (ParameterTable::Color).value, colour);
    EXPECT_EQ (xmlFromStateChunk (chunk.data(), (int) chunk.size()), nullptr);

    // A chunk whose XML would send JUCE's parser round for ever: refused, at once.
    const std::string spin = "<TovalinSettings><?a<?>?</TovalinSettings>";
    std::string spinning = "VC2!";
    const juce::uint32 spinLength = (juce::uint32) spin.size();
    spinning.append (reinterpret_cast<const char*> (&spinLength), 4);
    spinning += spin;
    plugin.setStateInformation (spinning.data(), (int) spinning.size());
    EXPECT_EQ (inside (plugin).parameters.get (ParameterTable::Color).value, colour);

    juce::MemoryBlock good;
    plugin.getStateInformation (good);
    EXPECT_NE (xmlFromStateChunk (good.getData(), (int) good.getSize()), nullptr);
}
