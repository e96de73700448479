#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace tovalin
{
/** Whether bytes are well-formed UTF-8. JUCE's decoder trusts a multi-byte sequence's
    lead byte and reads on past the end of text that stops inside one, so nothing from
    a file or a host reaches it without this check. */
bool isWellFormedUtf8 (const void* data, size_t size) noexcept;

/** An XML document from bytes (a UTF-8 byte order mark allowed), or null when they
    are not well-formed UTF-8, hold a processing instruction anywhere but at the
    start (JUCE's parser can loop for ever on one), or are not XML. */
std::unique_ptr<juce::XmlElement> parseXmlBytes (const void* data, size_t size);

/** An XML document from a file, or null when it cannot be read or parsed. */
std::unique_ptr<juce::XmlElement> parseXmlFile (const juce::File& file);

/** The XML of a plug-in state chunk (the format of AudioProcessor::copyXmlToBinary),
    or null for a chunk that is not one. */
std::unique_ptr<juce::XmlElement> xmlFromStateChunk (const void* data, int size);

} // namespace tovalin
