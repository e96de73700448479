#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tovalin
{
/** The guitars' and rooms' recorded data as the build embeds them: little-endian, in
    catalogue order.

        "TVSD", u32 version, u32 guitar count, u32 room count
        per guitar: u32 body length, u32 admittance rows, f32 frequency step,
                    f32 body[body length], f32 admittance[rows]
        per room:   u32 length, f32 response[length]

    The admittance's frequencies are row · step; its third column is all zero. */
struct GuitarData
{
    std::vector<float> body;
    std::vector<float> admittance;
    float step = 0;
};

struct RoomData
{
    std::vector<float> response;
};

struct SoundData
{
    std::vector<GuitarData> guitars;
    std::vector<RoomData> rooms;
};

namespace soundDataFormat
{
    constexpr uint32_t Version = 1;

    inline void putWord (std::vector<unsigned char>& out, uint32_t w)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back ((unsigned char) (w >> (8 * i)));
    }

    inline void putFloat (std::vector<unsigned char>& out, float f)
    {
        uint32_t w;
        std::memcpy (&w, &f, 4);
        putWord (out, w);
    }

    inline void putFloats (std::vector<unsigned char>& out, const std::vector<float>& v)
    {
        for (float f : v)
            putFloat (out, f);
    }

    class Reader
    {
    public:
        Reader (const unsigned char* d, size_t n) : data (d), size (n) {}

        bool word (uint32_t& w)
        {
            if (size - position < 4)
                return false;
            w = 0;
            for (int i = 0; i < 4; ++i)
                w |= (uint32_t) data[position + (size_t) i] << (8 * i);
            position += 4;
            return true;
        }

        bool floats (std::vector<float>& v, uint32_t count)
        {
            if ((size - position) / 4 < count)
                return false;
            v.resize (count);
            for (uint32_t i = 0; i < count; ++i)
            {
                uint32_t w = 0;
                word (w);
                std::memcpy (&v[i], &w, 4);
            }
            return true;
        }

        bool atEnd() const { return position == size; }

    private:
        const unsigned char* data;
        size_t size;
        size_t position = 0;
    };
} // namespace soundDataFormat

inline std::vector<unsigned char> serialiseSoundData (const SoundData& d)
{
    using namespace soundDataFormat;
    std::vector<unsigned char> out = {'T', 'V', 'S', 'D'};
    putWord (out, Version);
    putWord (out, (uint32_t) d.guitars.size());
    putWord (out, (uint32_t) d.rooms.size());
    for (const auto& g : d.guitars)
    {
        putWord (out, (uint32_t) g.body.size());
        putWord (out, (uint32_t) g.admittance.size());
        putFloat (out, g.step);
        putFloats (out, g.body);
        putFloats (out, g.admittance);
    }
    for (const auto& r : d.rooms)
    {
        putWord (out, (uint32_t) r.response.size());
        putFloats (out, r.response);
    }
    return out;
}

/** False, with a reason, for anything that is not a whole file of this format. */
inline bool parseSoundData (const unsigned char* data, size_t size, SoundData& d, std::string& error)
{
    using namespace soundDataFormat;
    d = SoundData();
    if (size < 16 || std::memcmp (data, "TVSD", 4) != 0)
    {
        error = "not a sound data file";
        return false;
    }
    Reader in (data + 4, size - 4);
    uint32_t version = 0, guitars = 0, rooms = 0;
    in.word (version);
    in.word (guitars);
    in.word (rooms);
    if (version != Version || guitars > 64 || rooms > 64)
    {
        error = "unsupported sound data version or counts";
        return false;
    }
    d.guitars.resize (guitars);
    for (auto& g : d.guitars)
    {
        uint32_t bodyLength = 0, rows = 0, step = 0;
        if (! in.word (bodyLength) || ! in.word (rows) || ! in.word (step) || ! in.floats (g.body, bodyLength) ||
            ! in.floats (g.admittance, rows))
        {
            error = "sound data truncated in a guitar";
            return false;
        }
        std::memcpy (&g.step, &step, 4);
    }
    d.rooms.resize (rooms);
    for (auto& r : d.rooms)
    {
        uint32_t length = 0;
        if (! in.word (length) || ! in.floats (r.response, length))
        {
            error = "sound data truncated in a room";
            return false;
        }
    }
    if (! in.atEnd())
    {
        error = "sound data has trailing bytes";
        return false;
    }
    return true;
}

} // namespace tovalin
