#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

/** Builds standard MIDI files byte by byte for the tests. */
struct MidiFileBuilder
{
    std::vector<std::vector<std::uint8_t>> tracks;

    static void vlq (std::vector<std::uint8_t>& out, std::uint32_t v)
    {
        std::uint8_t bytes[5];
        int n = 0;
        do
        {
            bytes[n++] = (std::uint8_t) (v & 0x7F);
            v >>= 7;
        } while (v != 0);
        while (n-- > 0)
            out.push_back ((std::uint8_t) (bytes[n] | (n > 0 ? 0x80 : 0)));
    }

    std::vector<std::uint8_t>& track()
    {
        tracks.emplace_back();
        return tracks.back();
    }

    static void event (std::vector<std::uint8_t>& t, std::uint32_t delta, std::initializer_list<std::uint8_t> bytes)
    {
        vlq (t, delta);
        t.insert (t.end(), bytes);
    }

    static void tempo (std::vector<std::uint8_t>& t, std::uint32_t delta, std::uint32_t microsPerQuarter)
    {
        event (t, delta,
               {0xFF, 0x51, 0x03, (std::uint8_t) (microsPerQuarter >> 16), (std::uint8_t) (microsPerQuarter >> 8),
                (std::uint8_t) microsPerQuarter});
    }

    static void endOfTrack (std::vector<std::uint8_t>& t, std::uint32_t delta = 0)
    {
        event (t, delta, {0xFF, 0x2F, 0x00});
    }

    std::vector<std::uint8_t> build (int format, std::uint16_t division) const
    {
        std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, (std::uint8_t) format};
        out.push_back ((std::uint8_t) (tracks.size() >> 8));
        out.push_back ((std::uint8_t) tracks.size());
        out.push_back ((std::uint8_t) (division >> 8));
        out.push_back ((std::uint8_t) division);
        for (const auto& t : tracks)
        {
            out.insert (out.end(), {'M', 'T', 'r', 'k'});
            const auto n = (std::uint32_t) t.size();
            out.insert (out.end(), {(std::uint8_t) (n >> 24), (std::uint8_t) (n >> 16), (std::uint8_t) (n >> 8),
                                    (std::uint8_t) n});
            out.insert (out.end(), t.begin(), t.end());
        }
        return out;
    }
};
