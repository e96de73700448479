#include "WavWriter.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace tovalin
{
namespace
{
    void put16 (std::string& s, std::uint32_t v)
    {
        s.push_back ((char) (v & 0xFF));
        s.push_back ((char) ((v >> 8) & 0xFF));
    }

    void put32 (std::string& s, std::uint32_t v)
    {
        put16 (s, v & 0xFFFF);
        put16 (s, v >> 16);
    }

    int bytesPerSample (SampleFormat f) { return f == SampleFormat::pcm16 ? 2 : f == SampleFormat::pcm24 ? 3 : 4; }

    std::int32_t toPcm (float x, int bits)
    {
        const double full = (double) ((1 << (bits - 1)) - 1);
        double v = std::isfinite (x) ? (double) x : 0.0;
        v = std::round (v * full);
        if (v > full)
            v = full;
        if (v < -full - 1.0)
            v = -full - 1.0;
        return (std::int32_t) v;
    }
} // namespace

WavWriter::WavWriter (std::string p, SampleFormat f, int rate, int ch)
    : path (std::move (p)), tempPath (path + ".part"), format (f), sampleRate (rate), channels (ch)
{
}

WavWriter::~WavWriter()
{
    if (file != nullptr)
    {
        std::fclose (file);
        std::remove (tempPath.c_str());
    }
}

bool WavWriter::open (std::string& error)
{
    file = std::fopen (tempPath.c_str(), "wb");
    if (file == nullptr)
    {
        error = "cannot write " + path + ": " + std::strerror (errno);
        return false;
    }
    return writeHeader (0);
}

bool WavWriter::writeHeader (std::uint32_t dataBytes)
{
    // WAVE_FORMAT_EXTENSIBLE, which every reader accepts for any channel count and depth.
    const int bps = bytesPerSample (format);
    std::string h;
    h += "RIFF";
    put32 (h, 4 + 8 + 40 + 8 + dataBytes + (dataBytes & 1));
    h += "WAVEfmt ";
    put32 (h, 40);
    put16 (h, 0xFFFE);
    put16 (h, (std::uint32_t) channels);
    put32 (h, (std::uint32_t) sampleRate);
    put32 (h, (std::uint32_t) (sampleRate * channels * bps));
    put16 (h, (std::uint32_t) (channels * bps));
    put16 (h, (std::uint32_t) (bps * 8));
    put16 (h, 22);
    put16 (h, (std::uint32_t) (bps * 8));
    put32 (h, channels == 1 ? 0x4 : channels == 2 ? 0x3 : 0); // speaker mask
    // Sub-format GUID: PCM (1) or IEEE float (3), then the standard suffix.
    put32 (h, format == SampleFormat::float32 ? 3 : 1);
    const unsigned char suffix[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    h.append (reinterpret_cast<const char*> (suffix), 12);
    h += "data";
    put32 (h, dataBytes);
    if (std::fseek (file, 0, SEEK_SET) != 0 || std::fwrite (h.data(), 1, h.size(), file) != h.size())
    {
        failed = true;
        return false;
    }
    return true;
}

bool WavWriter::write (const float* const* data, int count)
{
    if (failed || file == nullptr)
        return false;
    const int bps = bytesPerSample (format);
    buffer.clear();
    buffer.reserve ((std::size_t) count * (std::size_t) channels * (std::size_t) bps);
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c)
        {
            const float x = data[c][i];
            if (format == SampleFormat::float32)
            {
                std::uint32_t bits;
                const float v = std::isfinite (x) ? x : 0.0f;
                std::memcpy (&bits, &v, 4);
                put32 (buffer, bits);
            }
            else
            {
                const std::uint32_t v = (std::uint32_t) toPcm (x, bps * 8);
                for (int b = 0; b < bps; ++b)
                    buffer.push_back ((char) ((v >> (8 * b)) & 0xFF));
            }
        }
    if (std::fwrite (buffer.data(), 1, buffer.size(), file) != buffer.size())
    {
        failed = true;
        return false;
    }
    framesWritten += (std::uint64_t) count;
    return true;
}

bool WavWriter::finish (std::string& error)
{
    if (file == nullptr)
    {
        error = "cannot write " + path;
        return false;
    }
    const std::uint64_t dataBytes = framesWritten * (std::uint64_t) channels * (std::uint64_t) bytesPerSample (format);
    if (dataBytes > std::numeric_limits<std::uint32_t>::max() - 100)
    {
        error = "the render is too long for a WAV file";
        failed = true;
    }
    if (! failed && (dataBytes & 1))
        failed = std::fputc (0, file) == EOF;
    if (! failed)
        writeHeader ((std::uint32_t) dataBytes);
    const bool closedOk = std::fclose (file) == 0;
    file = nullptr;
    if (failed || ! closedOk)
    {
        if (error.empty())
            error = "cannot write " + path + ": " + std::strerror (errno);
        std::remove (tempPath.c_str());
        return false;
    }
    if (std::rename (tempPath.c_str(), path.c_str()) != 0)
    {
        error = "cannot write " + path + ": " + std::strerror (errno);
        std::remove (tempPath.c_str());
        return false;
    }
    return true;
}

} // namespace tovalin
