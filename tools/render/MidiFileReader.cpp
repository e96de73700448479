#include "MidiFileReader.h"

#include <algorithm>
#include <map>

namespace tovalin
{
namespace
{
    struct Reader
    {
        const std::uint8_t* p;
        const std::uint8_t* end;

        bool has (std::size_t n) const { return (std::size_t) (end - p) >= n; }

        bool u8 (std::uint32_t& v)
        {
            if (! has (1))
                return false;
            v = *p++;
            return true;
        }

        bool u16 (std::uint32_t& v)
        {
            if (! has (2))
                return false;
            v = (std::uint32_t) (p[0] << 8 | p[1]);
            p += 2;
            return true;
        }

        bool u32 (std::uint32_t& v)
        {
            if (! has (4))
                return false;
            v = (std::uint32_t) p[0] << 24 | (std::uint32_t) p[1] << 16 | (std::uint32_t) p[2] << 8 | p[3];
            p += 4;
            return true;
        }

        // Variable-length quantity: at most four bytes (28 bits) by the standard.
        bool vlq (std::uint32_t& v)
        {
            v = 0;
            for (int i = 0; i < 4; ++i)
            {
                std::uint32_t b;
                if (! u8 (b))
                    return false;
                v = (v << 7) | (b & 0x7F);
                if ((b & 0x80) == 0)
                    return true;
            }
            return false;
        }
    };

    struct RawEvent
    {
        std::uint64_t tick;
        int track;
        int order;
        TimedMidiEvent event;
    };

    int dataBytesFor (std::uint8_t status)
    {
        switch (status & 0xF0)
        {
            case 0xC0:
            case 0xD0:
                return 1;
            default:
                return 2;
        }
    }
} // namespace

bool readMidiFile (const std::vector<std::uint8_t>& bytes, MidiFileContents& out, std::string& error)
{
    out = MidiFileContents();
    Reader r{bytes.data(), bytes.data() + bytes.size()};

    if (bytes.size() < 14 || std::string (bytes.begin(), bytes.begin() + 4) != "MThd")
    {
        error = "not a standard MIDI file";
        return false;
    }
    r.p += 4;
    std::uint32_t headerLength, format, trackCount, division;
    if (! r.u32 (headerLength) || headerLength < 6 || ! r.has (headerLength) || ! r.u16 (format) ||
        ! r.u16 (trackCount) || ! r.u16 (division))
    {
        error = "damaged MIDI file header";
        return false;
    }
    r.p += headerLength - 6;
    if (format > 2)
    {
        error = "unsupported MIDI file format " + std::to_string (format);
        return false;
    }
    if (division == 0)
    {
        error = "MIDI file has a time division of zero";
        return false;
    }

    std::vector<RawEvent> raw;
    std::map<std::uint64_t, std::uint32_t> tempoChanges; // tick -> microseconds per quarter (formats 0, 1)
    std::uint64_t lastTick = 0;
    std::uint64_t trackStartTick = 0; // format 2 tracks follow one another
    int order = 0;
    int tracksRead = 0;

    for (std::uint32_t t = 0; t < trackCount; ++t)
    {
        // Skip foreign chunks until the next track.
        std::uint32_t chunkLength = 0;
        bool found = false;
        while (r.has (8))
        {
            const bool isTrack = std::string (r.p, r.p + 4) == "MTrk";
            r.p += 4;
            r.u32 (chunkLength);
            if (isTrack)
            {
                found = true;
                break;
            }
            if (! r.has (chunkLength))
                break;
            r.p += chunkLength;
        }
        if (! found)
        {
            if (tracksRead == 0)
            {
                error = "MIDI file has no track";
                return false;
            }
            break; // fewer tracks than the header promised: keep what was read
        }

        // A track running past the end of the file is read as far as it goes.
        const std::uint8_t* trackEnd = r.has (chunkLength) ? r.p + chunkLength : r.end;
        Reader tr{r.p, trackEnd};
        r.p = trackEnd;
        ++tracksRead;

        std::uint64_t tick = format == 2 ? trackStartTick : 0;
        std::uint8_t runningStatus = 0;
        while (tr.p < tr.end)
        {
            std::uint32_t delta;
            if (! tr.vlq (delta))
                break;
            tick += delta;
            lastTick = std::max (lastTick, tick);

            std::uint32_t first;
            if (! tr.u8 (first))
                break;

            if (first == 0xFF)
            {
                std::uint32_t type, length;
                if (! tr.u8 (type) || ! tr.vlq (length) || ! tr.has (length))
                    break;
                if (type == 0x51 && length == 3)
                {
                    const std::uint32_t tempo = (std::uint32_t) (tr.p[0] << 16 | tr.p[1] << 8 | tr.p[2]);
                    if (tempo > 0)
                        tempoChanges[tick] = tempo;
                }
                tr.p += length;
                if (type == 0x2F)
                    break;
                continue;
            }
            if (first == 0xF0 || first == 0xF7)
            {
                std::uint32_t length;
                if (! tr.vlq (length) || ! tr.has (length))
                    break;
                tr.p += length;
                runningStatus = 0;
                continue;
            }

            std::uint8_t status;
            std::uint8_t data[2] = {0, 0};
            int have = 0;
            if (first & 0x80)
            {
                if (first >= 0xF0)
                    break; // no other system message belongs in a file
                status = (std::uint8_t) first;
                runningStatus = status;
            }
            else
            {
                if (runningStatus == 0)
                    break; // data byte with no status to run on
                status = runningStatus;
                data[have++] = (std::uint8_t) first;
            }
            const int needed = dataBytesFor (status);
            bool complete = true;
            while (have < needed)
            {
                std::uint32_t b;
                if (! tr.u8 (b) || (b & 0x80))
                {
                    complete = false;
                    break;
                }
                data[have++] = (std::uint8_t) b;
            }
            if (! complete)
                break;

            RawEvent e;
            e.tick = tick;
            e.track = format == 1 ? (int) t : 0;
            e.order = order++;
            e.event.bytes[0] = status;
            e.event.bytes[1] = data[0];
            e.event.bytes[2] = data[1];
            e.event.size = 1 + needed;
            raw.push_back (e);
        }
        if (format == 2)
            trackStartTick = lastTick;
    }

    // Ticks to seconds through the tempo map (default 120 BPM), or SMPTE frames.
    const bool smpte = (division & 0x8000) != 0;
    double secondsPerTickSmpte = 0.0;
    if (smpte)
    {
        const int fps = 256 - (int) ((division >> 8) & 0xFF);
        const int ticksPerFrame = (int) (division & 0xFF);
        if (fps <= 0 || ticksPerFrame == 0)
        {
            error = "MIDI file has an invalid SMPTE time division";
            return false;
        }
        const double framesPerSecond = fps == 29 ? 29.97 : (double) fps;
        secondsPerTickSmpte = 1.0 / (framesPerSecond * ticksPerFrame);
    }
    const double ticksPerQuarter = (double) (division & 0x7FFF);

    std::vector<std::pair<std::uint64_t, double>> tempoMap; // tick, seconds at that tick
    std::vector<double> secondsPerTickAt;
    {
        std::uint64_t prevTick = 0;
        double prevSeconds = 0.0;
        double spt = 0.5 / ticksPerQuarter;
        tempoMap.push_back ({0, 0.0});
        secondsPerTickAt.push_back (spt);
        for (const auto& [tick, tempo] : tempoChanges)
        {
            const double seconds = prevSeconds + (double) (tick - prevTick) * spt;
            spt = tempo * 1e-6 / ticksPerQuarter;
            if (tick == 0)
            {
                secondsPerTickAt.back() = spt;
                continue;
            }
            tempoMap.push_back ({tick, seconds});
            secondsPerTickAt.push_back (spt);
            prevTick = tick;
            prevSeconds = seconds;
        }
    }
    auto toSeconds = [&] (std::uint64_t tick)
    {
        if (smpte)
            return (double) tick * secondsPerTickSmpte;
        auto it =
            std::upper_bound (tempoMap.begin(), tempoMap.end(), tick,
                              [] (std::uint64_t v, const std::pair<std::uint64_t, double>& e) { return v < e.first; });
        const std::size_t i = (std::size_t) (it - tempoMap.begin()) - 1;
        return tempoMap[i].second + (double) (tick - tempoMap[i].first) * secondsPerTickAt[i];
    };

    std::stable_sort (raw.begin(), raw.end(),
                      [] (const RawEvent& a, const RawEvent& b)
                      {
                          if (a.tick != b.tick)
                              return a.tick < b.tick;
                          return a.order < b.order;
                      });

    out.format = (int) format;
    out.trackCount = tracksRead;
    out.events.reserve (raw.size());
    for (auto& e : raw)
    {
        e.event.seconds = toSeconds (e.tick);
        out.events.push_back (e.event);
    }
    out.lengthSeconds = toSeconds (lastTick);
    return true;
}

} // namespace tovalin
