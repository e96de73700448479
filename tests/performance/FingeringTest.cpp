#include "performance/Fingering.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

using namespace tovalin;

TEST (Fingering, PublishesFretsAndChordName)
{
    Fingering f;
    Fingering::Published p;
    ASSERT_TRUE (f.readPublished (p));
    for (int s = 0; s < StringCount; ++s)
        EXPECT_EQ (p.fret[s], -1);
    EXPECT_STREQ (p.chordName, "");
    EXPECT_FALSE (f.takeChange());

    f.setStringFromFret (2, 7, StringState::Single);
    f.setChordName ("Cmaj7\\G");
    EXPECT_TRUE (f.takeChange());
    EXPECT_FALSE (f.takeChange());
    ASSERT_TRUE (f.readPublished (p));
    EXPECT_EQ (p.fret[2], 7);
    EXPECT_EQ (f.note[2], 69);
    EXPECT_STREQ (p.chordName, "Cmaj7\\G");

    f.setChordName ("");
    f.reset();
    ASSERT_TRUE (f.readPublished (p));
    EXPECT_EQ (p.fret[2], -1);
    EXPECT_EQ (f.getChordName(), "");
}

TEST (Fingering, AnOverlongNameIsCutNotOverrun)
{
    Fingering f;
    const std::string longName (300, 'x');
    f.setChordName (longName.c_str());
    EXPECT_EQ (f.getChordName(), std::string (ChordNameCapacity - 1, 'x'));
}

// The audio thread writes names and frets while the message thread copies them: the
// copy is always one whole write, never a mix of two (run it under ThreadSanitizer too).
TEST (Fingering, AReaderNeverSeesATornWrite)
{
    Fingering f;
    // Two names of different lengths and letters: any mix of the two is recognisable.
    const std::string a (ChordNameCapacity - 1, 'a');
    const std::string b = "Bb";
    std::atomic<bool> stop{false};
    std::atomic<long> writes{0};

    std::thread writer (
        [&]
        {
            for (long i = 0; ! stop.load (std::memory_order_relaxed); ++i)
            {
                const bool first = (i & 1) == 0;
                f.setChordName (first ? a.c_str() : b.c_str());
                for (int s = 0; s < StringCount; ++s)
                    f.setStringFromFret (s, first ? s : 17 - s, StringState::Chord);
                writes.store (i + 1, std::memory_order_relaxed);
            }
        });
    // Stops the writer however the test leaves (a failed assertion returns early).
    struct Joiner
    {
        std::atomic<bool>& stop;
        std::thread& thread;
        ~Joiner()
        {
            stop = true;
            thread.join();
        }
    } joiner{stop, writer};

    long copies = 0, refused = 0, aNames = 0, bNames = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
    while ((elapsed() < std::chrono::milliseconds (300) || copies < 1000) && elapsed() < std::chrono::seconds (10))
    {
        Fingering::Published p;
        if (! f.readPublished (p))
        {
            ++refused;
            continue;
        }
        ++copies;
        // Every byte counts, the ones after the end of the name too.
        char padded[2][ChordNameCapacity] = {};
        std::memcpy (padded[0], a.c_str(), a.size());
        std::memcpy (padded[1], b.c_str(), b.size());
        const std::string name = p.chordName;
        const bool whole = std::memcmp (p.chordName, padded[0], ChordNameCapacity) == 0 ||
                           std::memcmp (p.chordName, padded[1], ChordNameCapacity) == 0 ||
                           (aNames + bNames == 0 && name.empty());
        ASSERT_TRUE (whole) << "torn name: " << name;
        aNames += name == a ? 1 : 0;
        bNames += name == b ? 1 : 0;
        for (int s = 0; s < StringCount; ++s)
            ASSERT_TRUE (p.fret[s] == -1 || p.fret[s] == s || p.fret[s] == 17 - s)
                << "string " << s << ": " << p.fret[s];
    }
    EXPECT_GT (writes.load(), 1000);
    // Both names were seen: the reader really read while the writer wrote.
    EXPECT_GT (aNames, 0);
    EXPECT_GT (bNames, 0);
    // A writer that never pauses makes the reader retry often, but not always.
    EXPECT_GE (copies, 1000) << refused << " copies refused";
}
