// tovalin-plugin-check: a small plug-in host that loads one built format of the
// instrument from its file and checks what a validator would. Exit status 0 when every
// check passes, 1 when one fails, 2 on a wrong command line or a plug-in that does not
// load.
//
//   tovalin-plugin-check VST  path/to/libTovalin.so
//   tovalin-plugin-check VST3 path/to/Tovalin.vst3
//   tovalin-plugin-check LV2  path/to/Tovalin.lv2 <plug-in URI>
#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace
{
using Instance = juce::AudioPluginInstance;

int failures = 0;

void check (bool ok, const juce::String& what)
{
    std::printf ("%s %s\n", ok ? "  ok  " : "FAILED", what.toRawUTF8());
    std::fflush (stdout);
    if (! ok)
        ++failures;
}

struct Host
{
    juce::AudioPluginFormatManager formats;
    juce::PluginDescription description;

    std::unique_ptr<Instance> create (double rate = 44100, int block = 512)
    {
        juce::String error;
        auto instance = formats.createPluginInstance (description, rate, block, error);
        if (instance == nullptr)
            std::printf ("FAILED creating an instance: %s\n", error.toRawUTF8());
        return instance;
    }
};

/** A short performance: a single note, a chord and a string played directly. */
juce::MidiBuffer eventsOfBlock (int64_t blockStart, int blockLength, int64_t firstNoteAt)
{
    struct Event
    {
        int64_t time;
        juce::MidiMessage message;
    };
    static const Event events[] = {
        {0, juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100)},
        {11025, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 90)},
        {11030, juce::MidiMessage::noteOn (1, 64, (juce::uint8) 90)},
        {11034, juce::MidiMessage::noteOn (1, 67, (juce::uint8) 90)},
        {22050, juce::MidiMessage::noteOn (3, 50, (juce::uint8) 110)},
        {33075, juce::MidiMessage::noteOff (1, 60)},
    };
    juce::MidiBuffer midi;
    for (const auto& e : events)
    {
        const int64_t t = firstNoteAt + e.time - blockStart;
        if (t >= 0 && t < blockLength)
            midi.addEvent (e.message, (int) t);
    }
    return midi;
}

struct Render
{
    std::vector<float> left, right;
    bool finite = true;

    double peak (size_t from = 0, size_t to = SIZE_MAX) const
    {
        double m = 0.0;
        for (size_t i = from; i < std::min (to, left.size()); ++i)
            m = std::max (m, (double) std::abs (left[i]));
        return m;
    }
};

/** Prepares the instance and plays the performance in blocks of the given sizes
    (cycled); eachBlock runs before every block, on this thread. */
Render play (Instance& p, double rate, int maxBlock, int64_t totalSamples, int64_t firstNoteAt,
             const std::vector<int>& blockSizes, const std::function<void (int)>& eachBlock = {})
{
    p.setPlayConfigDetails (0, 2, rate, maxBlock);
    p.prepareToPlay (rate, maxBlock);
    Render r;
    juce::AudioBuffer<float> buffer (juce::jmax (2, p.getTotalNumOutputChannels()), maxBlock);
    int64_t pos = 0;
    for (int k = 0; pos < totalSamples; ++k)
    {
        const int n = (int) std::min<int64_t> (blockSizes[(size_t) k % blockSizes.size()], totalSamples - pos);
        if (eachBlock)
            eachBlock (k);
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), n);
        view.clear();
        auto midi = eventsOfBlock (pos, n, firstNoteAt);
        p.processBlock (view, midi);
        for (int i = 0; i < n; ++i)
        {
            const float l = view.getSample (0, i), rr = view.getSample (1, i);
            r.finite = r.finite && std::isfinite (l) && std::isfinite (rr);
            r.left.push_back (l);
            r.right.push_back (rr);
        }
        pos += n;
    }
    p.releaseResources();
    return r;
}

Render playPlain (Instance& p, double rate = 44100, int block = 512)
{
    return play (p, rate, block, (int64_t) (rate * 1.5), (int64_t) (rate * 0.1), {block});
}

double maxDifference (const Render& a, const Render& b)
{
    if (a.left.size() != b.left.size())
        return 1.0e9;
    double m = 0.0;
    for (size_t i = 0; i < a.left.size(); ++i)
        m = std::max (m, (double) std::abs (a.left[i] - b.left[i]));
    return m;
}

/** Damages our own state chunk wherever it sits inside the host's state of this
    format (the VST3 host keeps it base64-encoded inside an XML document). */
juce::MemoryBlock damageInnerChunk (const juce::MemoryBlock& state, bool vst3)
{
    auto damage = [] (juce::MemoryBlock block)
    {
        // The chunk starts with the magic "VC2!": cut its XML text and scramble it.
        auto* bytes = static_cast<char*> (block.getData());
        for (size_t i = 0; i + 4 < block.getSize(); ++i)
            if (std::memcmp (bytes + i, "VC2!", 4) == 0)
            {
                for (size_t k = i + 8 + 40; k < block.getSize(); k += 7)
                    bytes[k] = (char) ('<' + (int) (k % 5));
                break;
            }
        return block;
    };
    if (! vst3)
        return damage (state);
    auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());
    if (xml == nullptr)
        return state;
    if (auto* component = xml->getChildByName ("IComponent"))
    {
        juce::MemoryBlock inner;
        inner.fromBase64Encoding (component->getAllSubText());
        component->deleteAllTextElements();
        component->addTextElement (damage (inner).toBase64Encoding());
    }
    juce::MemoryBlock out;
    juce::AudioProcessor::copyXmlToBinary (*xml, out);
    return out;
}

void runChecks (Host& host, const juce::String& formatName)
{
    const auto& d = host.description;
    std::printf ("%s: %s by %s, version %s\n", formatName.toRawUTF8(), d.name.toRawUTF8(),
                 d.manufacturerName.toRawUTF8(), d.version.toRawUTF8());
    check (d.name == "Tovalin", "the name is Tovalin");
    check (d.manufacturerName == "Marvesk", "the vendor is Marvesk");
    check (d.version == "1.3.0" || formatName == "LV2", "the version is 1.3.0");
    check (d.isInstrument, "it is an instrument");
    check (d.numInputChannels == 0, "no audio input (" + juce::String (d.numInputChannels) + ")");
    check (d.numOutputChannels == 2, "two outputs (" + juce::String (d.numOutputChannels) + ")");
    if (formatName == "VST")
        check (d.uniqueId == 0x54764C6E, "the unique id is 'TvLn'");

    auto main = host.create();
    if (main == nullptr)
    {
        ++failures;
        return;
    }
    check (main->acceptsMidi() && ! main->producesMidi(), "MIDI in, no MIDI out");
    check (main->getTotalNumInputChannels() == 0 && main->getTotalNumOutputChannels() == 2,
           "buses: 0 in, 2 out (" + juce::String (main->getTotalNumInputChannels()) + ", " +
               juce::String (main->getTotalNumOutputChannels()) + ")");
    check (! main->hasEditor(), "no editor yet");

    // Several instances alive at once play the same notes alike.
    {
        std::vector<std::unique_ptr<Instance>> many;
        for (int i = 0; i < 3; ++i)
            many.push_back (host.create());
        std::vector<Render> renders;
        for (auto& p : many)
            renders.push_back (playPlain (*p));
        bool same = true;
        for (auto& r : renders)
            same = same && maxDifference (r, renders[0]) == 0.0;
        check (renders[0].peak() > 1.0e-3 && renders[0].finite, "notes give finite, non-silent audio");
        check (same, "three instances alive at once play alike");
        check (renders[0].left == renders[0].right, "both outputs carry the same signal");
    }

    // Every supported rate: silence before the first note, sound after it.
    for (double rate : {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0})
    {
        const int64_t firstNote = (int64_t) (rate * 0.2);
        const auto r = play (*main, rate, 256, (int64_t) (rate * 0.8), firstNote, {256});
        const bool quietBefore = r.peak (0, (size_t) firstNote) == 0.0;
        const double after = r.peak ((size_t) firstNote);
        check (r.finite && quietBefore && after > 1.0e-3,
               juce::String (rate, 0) + " Hz: silent before the first note, sounding after (peak " +
                   juce::String (after, 3) + ")");
    }
    {
        const auto r = play (*main, 50000, 256, 40000, 1000, {256});
        check (r.finite && r.peak() == 0.0, "50000 Hz, unsupported: silence");
    }
    const int latency44 = [&]
    {
        main->setPlayConfigDetails (0, 2, 44100, 512);
        main->prepareToPlay (44100, 512);
        const int l = main->getLatencySamples();
        main->releaseResources();
        return l;
    }();
    const int latency96 = [&]
    {
        main->setPlayConfigDetails (0, 2, 96000, 512);
        main->prepareToPlay (96000, 512);
        const int l = main->getLatencySamples();
        main->releaseResources();
        return l;
    }();
    std::printf ("        latency %d samples at 44100 Hz, %d at 96000 Hz; tail %.3f s\n", latency44, latency96,
                 main->getTailLengthSeconds());
    check (latency44 > 0 && std::abs (latency96 - latency44 * 96000.0 / 44100.0) <= 1.0,
           "the latency reaches the host, in its own samples");

    // Block sizes from 1 to 4096, changing from call to call, play what fixed blocks play.
    {
        juce::Random random (7);
        std::vector<int> sizes;
        for (int i = 0; i < 400; ++i)
            sizes.push_back (i % 50 == 0 ? 4096 : i % 7 == 0 ? 1 : 1 + random.nextInt (4096));
        auto fresh = host.create();
        const auto varying = play (*fresh, 44100, 4096, 66150, 4410, sizes);
        auto fixed = host.create();
        const auto reference = play (*fixed, 44100, 4096, 66150, 4410, {512});
        const double diff = maxDifference (varying, reference);
        check (varying.finite && varying.peak() > 1.0e-3 && diff < 1.0e-4,
               "blocks of 1 to 4096 samples, changing each call, play as fixed blocks (difference " +
                   juce::String (diff, 6) + ")");
    }

    // Every parameter: a name, texts, values that stick; then automated every block.
    {
        auto p = host.create();
        const auto& params = p->getParameters();
        check (params.size() == 22, "22 parameters (" + juce::String (params.size()) + ")");
        bool named = true, texts = true, sticks = true;
        juce::StringArray names;
        for (auto* param : params)
        {
            named = named && param->getName (64).isNotEmpty();
            names.addIfNotAlreadyThere (param->getName (64));
            for (float v : {0.0f, 0.5f, 1.0f})
            {
                param->setValueNotifyingHost (v);
                texts = texts && param->getText (v, 64).isNotEmpty() && param->getCurrentValueAsText().isNotEmpty();
                const int steps = param->getNumSteps();
                const float tolerance = steps > 1 && steps < 1000 ? 0.5f / (float) (steps - 1) + 1.0e-4f : 1.0e-3f;
                if (std::abs (param->getValue() - v) > tolerance)
                {
                    sticks = false;
                    std::printf ("        %s set to %.3f reads %.3f\n", param->getName (64).toRawUTF8(), v,
                                 param->getValue());
                }
            }
        }
        check (named && names.size() == params.size(), "every parameter has a name of its own");
        check (texts, "every parameter has a text at every value");
        check (sticks, "every parameter keeps the value set");

        juce::Random random (11);
        const auto r = play (*p, 44100, 512, 44100, 2205, {512},
                             [&] (int)
                             {
                                 for (auto* param : params)
                                     param->setValue (random.nextFloat());
                             });
        check (r.finite, "every parameter automated every block: finite output");
    }

    // Programs by number and by name.
    {
        auto p = host.create();
        const int count = p->getNumPrograms();
        bool selectable = true, named = true;
        juce::StringArray names;
        for (int i = 0; i < count; ++i)
        {
            p->setCurrentProgram (i);
            selectable = selectable && p->getCurrentProgram() == i;
            const auto name = p->getProgramName (i);
            named = named && name.isNotEmpty();
            names.addIfNotAlreadyThere (name);
        }
        check (count >= 16, juce::String (count) + " programs");
        check (selectable, "every program is selected by its number");
        check (named && names.size() == count, "every program has a name of its own");
        p->setCurrentProgram (count / 2);
        const auto r = playPlain (*p);
        check (r.finite && r.peak() > 1.0e-3, "program " + p->getProgramName (count / 2) + " plays");
    }

    // State: another instance restored from it renders the same samples.
    {
        auto a = host.create();
        a->setCurrentProgram (7);
        for (auto* param : a->getParameters())
            if (param->getName (64) == "String type" || param->getName (64) == "Color")
                param->setValueNotifyingHost (param->getValue() < 0.5f ? 0.9f : 0.1f);
        juce::MemoryBlock state;
        a->getStateInformation (state);
        auto b = host.create();
        b->setStateInformation (state.getData(), (int) state.getSize());
        const auto ra = playPlain (*a);
        const auto rb = playPlain (*b);
        check (ra.peak() > 1.0e-3 && maxDifference (ra, rb) == 0.0,
               "a restored state renders the same samples (difference " + juce::String (maxDifference (ra, rb), 6) +
                   ")");

        // Damaged chunks: the instance keeps working.
        juce::Random random (3);
        std::vector<juce::MemoryBlock> damaged;
        damaged.push_back (damageInnerChunk (state, formatName == "VST3"));
        damaged.emplace_back (state.getData(), state.getSize() / 2);
        juce::MemoryBlock noise (state.getSize());
        for (size_t i = 0; i < noise.getSize(); ++i)
            noise[i] = (char) random.nextInt (256);
        damaged.push_back (noise);
        damaged.emplace_back();
        bool working = true;
        for (auto& chunk : damaged)
        {
            auto c = host.create();
            c->setStateInformation (chunk.getData(), (int) chunk.getSize());
            const auto r = playPlain (*c);
            working = working && r.finite && r.peak() > 1.0e-3;
        }
        check (working, "damaged state chunks leave the instance playing");
    }

    // Parameter changes from another thread while blocks run.
    {
        auto p = host.create();
        std::atomic<bool> done{false};
        std::thread changer (
            [&]
            {
                juce::Random random (5);
                while (! done)
                {
                    for (auto* param : p->getParameters())
                        param->setValueNotifyingHost (random.nextFloat());
                    std::this_thread::sleep_for (std::chrono::milliseconds (2));
                }
            });
        const auto r = play (*p, 48000, 256, 96000, 4800, {256, 100, 1024});
        done = true;
        changer.join();
        check (r.finite, "parameter changes from another thread while blocks run");
    }

    // Calls in unusual orders: process before prepare, release twice, prepare twice.
    {
        auto p = host.create();
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        buffer.clear();
        p->processBlock (buffer, midi);
        p->releaseResources();
        p->releaseResources();
        p->prepareToPlay (44100, 256);
        p->prepareToPlay (48000, 128);
        const auto r = playPlain (*p);
        check (r.finite && r.peak() > 1.0e-3, "process before prepare, release twice, prepare twice: still plays");
    }
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 3 || (juce::String (argv[1]) == "LV2" && argc < 4))
    {
        std::fprintf (stderr, "usage: tovalin-plugin-check VST|VST3|LV2 <plug-in file> [<LV2 URI>]\n");
        return 2;
    }
    const juce::String formatName (argv[1]);
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]);
    const juce::ScopedJuceInitialiser_GUI juce;

    Host host;
    juce::AudioPluginFormat* format = nullptr;
    if (formatName == "VST")
        format = new juce::VSTPluginFormat();
    else if (formatName == "VST3")
        format = new juce::VST3PluginFormat();
    else if (formatName == "LV2")
        format = new juce::LV2PluginFormat();
    if (format == nullptr)
    {
        std::fprintf (stderr, "unknown format %s\n", argv[1]);
        return 2;
    }
    host.formats.addFormat (format);

    juce::String identifier = file.getFullPathName();
    if (formatName == "LV2")
    {
        format->searchPathsForPlugins (juce::FileSearchPath (file.getParentDirectory().getFullPathName()), false);
        identifier = argv[3];
    }
    juce::OwnedArray<juce::PluginDescription> found;
    format->findAllTypesForFile (found, identifier);
    if (found.isEmpty())
    {
        std::fprintf (stderr, "%s: no %s plug-in found in %s\n", argv[0], argv[1], identifier.toRawUTF8());
        return 2;
    }
    host.description = *found[0];
    runChecks (host, formatName);
    std::printf ("%s: %s\n", formatName.toRawUTF8(),
                 failures == 0 ? "all checks passed" : (juce::String (failures) + " checks FAILED").toRawUTF8());
    return failures == 0 ? 0 : 1;
}
