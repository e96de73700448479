#include "render/MidiFileReader.h"
#include "MidiFileBuilder.h"

#include <gtest/gtest.h>

#include <random>

using namespace tovalin;

TEST (MidiFileReader, Type0WithRunningStatusAtTheDefaultTempo)
{
    MidiFileBuilder b;
    auto& t = b.track();
    MidiFileBuilder::event (t, 0, {0x90, 52, 100});
    MidiFileBuilder::event (t, 480, {57, 90}); // running status
    MidiFileBuilder::event (t, 480, {52, 0});  // note-on velocity 0
    MidiFileBuilder::event (t, 0, {0xC0, 25}); // one data byte
    MidiFileBuilder::endOfTrack (t, 960);
    MidiFileContents m;
    std::string error;
    ASSERT_TRUE (readMidiFile (b.build (0, 480), m, error)) << error;
    ASSERT_EQ (m.events.size(), 4u);
    EXPECT_DOUBLE_EQ (m.events[1].seconds, 0.5);
    EXPECT_EQ (m.events[1].bytes[0], 0x90);
    EXPECT_EQ (m.events[1].bytes[1], 57);
    EXPECT_EQ (m.events[1].size, 3);
    EXPECT_DOUBLE_EQ (m.events[2].seconds, 1.0);
    EXPECT_EQ (m.events[3].size, 2);
    EXPECT_DOUBLE_EQ (m.lengthSeconds, 2.0);
}

TEST (MidiFileReader, Type1TracksMergeInTimeOrderThroughTheTempoMap)
{
    MidiFileBuilder b;
    auto& conductor = b.track();
    MidiFileBuilder::tempo (conductor, 0, 500000);    // 120 BPM
    MidiFileBuilder::tempo (conductor, 960, 1000000); // 60 BPM from tick 960 (1.0 s)
    MidiFileBuilder::endOfTrack (conductor);
    auto& guitar = b.track();
    MidiFileBuilder::event (guitar, 480, {0x91, 60, 80}); // tick 480: 0.5 s
    MidiFileBuilder::event (guitar, 960, {0x81, 60, 0});  // tick 1440: 1.0 s + one quarter at 60 BPM
    MidiFileBuilder::endOfTrack (guitar);
    auto& bass = b.track();
    MidiFileBuilder::event (bass, 1000, {0x92, 40, 70}); // tick 1000: 1.0 + 40/480 s
    MidiFileBuilder::endOfTrack (bass);

    MidiFileContents m;
    std::string error;
    ASSERT_TRUE (readMidiFile (b.build (1, 480), m, error)) << error;
    ASSERT_EQ (m.events.size(), 3u);
    EXPECT_DOUBLE_EQ (m.events[0].seconds, 0.5);
    EXPECT_EQ (m.events[1].bytes[0], 0x92);
    EXPECT_NEAR (m.events[1].seconds, 1.0 + 40.0 / 480.0, 1e-12);
    EXPECT_NEAR (m.events[2].seconds, 2.0, 1e-12);
}

TEST (MidiFileReader, SmpteDivisionCountsFramesAndSysexIsSkipped)
{
    MidiFileBuilder b;
    auto& t = b.track();
    MidiFileBuilder::event (t, 1000, {0xF0, 0x03, 0x7E, 0x7F, 0xF7});
    MidiFileBuilder::event (t, 0, {0x90, 64, 64});
    MidiFileBuilder::endOfTrack (t);
    MidiFileContents m;
    std::string error;
    // 25 frames per second, 40 ticks per frame: 1000 ticks a second.
    ASSERT_TRUE (readMidiFile (b.build (0, (std::uint16_t) (((256 - 25) << 8) | 40)), m, error)) << error;
    ASSERT_EQ (m.events.size(), 1u);
    EXPECT_NEAR (m.events[0].seconds, 1.0, 1e-12);
}

TEST (MidiFileReader, RejectsWhatIsNotAMidiFile)
{
    const std::vector<std::vector<std::uint8_t>> bad = {
        {},
        {'M', 'T', 'h', 'd'},
        {'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0},
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0},                        // division 0
        {'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 1, 0xE0},         // header length past the end
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0},                     // no track
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 3, 0, 1, 1, 0xE0, 'M', 'T', 'r', 'k'}, // format 3
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0xE7, 0, 'M', 'T', 'r', 'k', 0, 0, 0, 0}, // SMPTE, 0 ticks a frame
    };
    for (size_t i = 0; i < bad.size(); ++i)
    {
        MidiFileContents m;
        std::string error;
        EXPECT_FALSE (readMidiFile (bad[i], m, error)) << "case " << i;
        EXPECT_FALSE (error.empty()) << "case " << i;
    }
}

TEST (MidiFileReader, DamagedTracksKeepWhatCameBeforeTheDamage)
{
    struct Case
    {
        const char* what;
        std::vector<std::uint8_t> tail;
    };
    const std::vector<Case> cases = {
        {"data byte with no running status", {0x00, 0x40, 0x40}},
        {"delta of five bytes", {0x81, 0x82, 0x83, 0x84, 0x05, 0x90, 1, 1}},
        {"meta length past the end", {0x00, 0xFF, 0x01, 0x7F, 'a'}},
        {"truncated note", {0x00, 0x90, 0x40}},
        {"status byte where data should be", {0x00, 0x90, 0x40, 0x90}},
        {"stray system byte", {0x00, 0xF8}},
    };
    for (const auto& c : cases)
    {
        MidiFileBuilder b;
        auto& t = b.track();
        MidiFileBuilder::event (t, 0, {0x90, 60, 100});
        t.insert (t.end(), c.tail.begin(), c.tail.end());
        MidiFileContents m;
        std::string error;
        ASSERT_TRUE (readMidiFile (b.build (0, 96), m, error)) << c.what;
        ASSERT_GE (m.events.size(), 1u) << c.what;
        EXPECT_EQ (m.events[0].bytes[1], 60) << c.what;
    }
}

// Sound files that a lax reader gets wrong: an escaped sysex (F7) whose payload looks
// like running-status data, a tempo meta event of the wrong length, a header longer
// than six bytes, bytes after the last track, a second track in a type 0 file.
TEST (MidiFileReader, ReadsUnusualButSoundFilesAsWritten)
{
    MidiFileBuilder b;
    auto& t = b.track();
    MidiFileBuilder::event (t, 0, {0x90, 60, 100});
    MidiFileBuilder::event (t, 0, {0xF7, 0x02, 0x41, 0x42});
    MidiFileBuilder::event (t, 0, {0xFF, 0x51, 0x01, 0x07}); // no tempo: the default stays
    MidiFileBuilder::event (t, 96, {0x91, 50, 50});
    MidiFileBuilder::endOfTrack (t);
    auto& second = b.track();
    MidiFileBuilder::event (second, 48, {0x92, 40, 40});
    MidiFileBuilder::endOfTrack (second);
    auto bytes = b.build (0, 96);
    bytes[7] = 8; // a header of eight bytes
    bytes.insert (bytes.begin() + 14, {0, 0});
    bytes.insert (bytes.end(), {0, 0, 0});

    MidiFileContents m;
    std::string error;
    ASSERT_TRUE (readMidiFile (bytes, m, error)) << error;
    ASSERT_EQ (m.events.size(), 3u);
    EXPECT_EQ (m.events[0].bytes[1], 60);
    EXPECT_EQ (m.events[1].bytes[0], 0x92);
    EXPECT_DOUBLE_EQ (m.events[1].seconds, 0.25);
    EXPECT_EQ (m.events[2].bytes[0], 0x91);
    EXPECT_DOUBLE_EQ (m.events[2].seconds, 0.5);
}

TEST (MidiFileReader, TrackLongerThanTheFileIsReadAsFarAsItGoes)
{
    MidiFileBuilder b;
    auto& t = b.track();
    MidiFileBuilder::event (t, 0, {0x90, 60, 100});
    auto bytes = b.build (0, 96);
    bytes[18] = 0x7F; // claim a far longer track
    MidiFileContents m;
    std::string error;
    ASSERT_TRUE (readMidiFile (bytes, m, error)) << error;
    EXPECT_EQ (m.events.size(), 1u);
}

// Random damage to a valid file must never crash or hang the reader.
TEST (MidiFileReader, SurvivesRandomDamage)
{
    MidiFileBuilder b;
    auto& conductor = b.track();
    MidiFileBuilder::tempo (conductor, 0, 400000);
    MidiFileBuilder::endOfTrack (conductor);
    auto& t = b.track();
    for (int i = 0; i < 40; ++i)
    {
        MidiFileBuilder::event (t, 30, {0x90, (std::uint8_t) (50 + i), 90});
        MidiFileBuilder::event (t, 30, {0xB0, 64, (std::uint8_t) (i * 3)});
    }
    MidiFileBuilder::endOfTrack (t);
    const auto valid = b.build (1, 96);

    std::mt19937 rng (1234);
    int accepted = 0;
    for (int trial = 0; trial < 3000; ++trial)
    {
        auto bytes = valid;
        const int damage = 1 + (int) (rng() % 8);
        for (int d = 0; d < damage; ++d)
        {
            const size_t at = rng() % bytes.size();
            switch (rng() % 3)
            {
                case 0:
                    bytes[at] = (std::uint8_t) rng();
                    break;
                case 1:
                    bytes.resize (std::max<size_t> (1, at));
                    break;
                default:
                    bytes.insert (bytes.begin() + (long) at, (std::uint8_t) rng());
                    break;
            }
        }
        MidiFileContents m;
        std::string error;
        if (readMidiFile (bytes, m, error))
        {
            ++accepted;
            for (const auto& e : m.events)
            {
                ASSERT_GE (e.bytes[0], 0x80);
                ASSERT_LT (e.bytes[0], 0xF0);
                ASSERT_TRUE (e.size == 2 || e.size == 3);
                for (int i = 1; i < e.size; ++i)
                    ASSERT_LT (e.bytes[i], 0x80) << "the processor is given well-formed messages only";
                ASSERT_TRUE (std::isfinite (e.seconds));
                ASSERT_GE (e.seconds, 0.0);
            }
        }
        else
            ASSERT_FALSE (error.empty());
    }
    EXPECT_GT (accepted, 0);
}
