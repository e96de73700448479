#include "SafeXml.h"

#include <limits>

namespace tovalin
{
bool isWellFormedUtf8 (const void* data, size_t size) noexcept
{
    const auto* p = static_cast<const unsigned char*> (data);
    size_t i = 0;
    while (i < size)
    {
        const unsigned char c = p[i];
        int continuation = 0;
        unsigned int lowest = 0;
        if (c < 0x80)
        {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
        {
            continuation = 1;
            lowest = 0x80;
        }
        else if (c >= 0xE0 && c <= 0xEF)
        {
            continuation = 2;
            lowest = 0x800;
        }
        else if (c >= 0xF0 && c <= 0xF4)
        {
            continuation = 3;
            lowest = 0x10000;
        }
        else
            return false; // a stray continuation byte, or a lead byte no text uses
        if (size - i <= (size_t) continuation)
            return false; // the text stops inside the sequence
        unsigned int code = c & (0x3F >> continuation);
        for (int k = 1; k <= continuation; ++k)
        {
            const unsigned char b = p[i + (size_t) k];
            if ((b & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (b & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false; // over-long, beyond Unicode, or a surrogate
        i += (size_t) continuation + 1;
    }
    return true;
}

std::unique_ptr<juce::XmlElement> parseXmlBytes (const void* data, size_t size)
{
    const auto* p = static_cast<const char*> (data);
    if (size >= 3 && (unsigned char) p[0] == 0xEF && (unsigned char) p[1] == 0xBB && (unsigned char) p[2] == 0xBF)
    {
        p += 3;
        size -= 3;
    }
    if (size == 0 || size > (size_t) std::numeric_limits<int>::max() || ! isWellFormedUtf8 (p, size))
        return nullptr;
    // JUCE's parser loops for ever on a processing instruction followed by text inside
    // an element; our documents hold none but the declaration that opens them.
    for (size_t i = 1; i + 1 < size; ++i)
        if (p[i] == '<' && p[i + 1] == '?')
            return nullptr;
    return juce::parseXML (juce::String::fromUTF8 (p, (int) size));
}

std::unique_ptr<juce::XmlElement> parseXmlFile (const juce::File& file)
{
    juce::MemoryBlock bytes;
    if (! file.loadFileAsData (bytes))
        return nullptr;
    return parseXmlBytes (bytes.getData(), bytes.getSize());
}

std::unique_ptr<juce::XmlElement> xmlFromStateChunk (const void* data, int size)
{
    constexpr juce::uint32 magic = 0x21324356;
    if (data == nullptr || size <= 8 || juce::ByteOrder::littleEndianInt (data) != magic)
        return nullptr;
    const int length = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));
    if (length <= 0)
        return nullptr;
    return parseXmlBytes (juce::addBytesToPointer (data, 8), (size_t) juce::jmin (size - 8, length));
}

} // namespace tovalin
