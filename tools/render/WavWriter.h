#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tovalin
{
enum class SampleFormat
{
    pcm16,
    pcm24,
    float32
};

/** Streams interleaved audio into a WAV file. The data goes to a temporary file in
    the same folder that is renamed into place by finish(), so a failed or interrupted
    render never leaves a truncated file under the requested name. */
class WavWriter
{
public:
    WavWriter (std::string path, SampleFormat format, int sampleRate, int channels);
    ~WavWriter();

    /** False with an error text when the file cannot be created. */
    bool open (std::string& error);

    /** channelData[c][i] for i < count; PCM is rounded and clipped. */
    bool write (const float* const* channelData, int count);

    /** Completes the header and renames the file into place. */
    bool finish (std::string& error);

private:
    bool writeHeader (std::uint32_t dataBytes);

    std::string path, tempPath;
    SampleFormat format;
    int sampleRate, channels;
    std::FILE* file = nullptr;
    std::uint64_t framesWritten = 0;
    bool failed = false;
    std::string buffer;
};

} // namespace tovalin
