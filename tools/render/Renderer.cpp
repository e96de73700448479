#include "Renderer.h"
#include "presets/SafeXml.h"

#include "DemoPerformance.h"
#include "MidiFileReader.h"
#include "RenderOptions.h"

#include "engine/SimdPath.h"
#include "processor/TovalinPlugin.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace tovalin
{
namespace
{
    constexpr int usageError = 2;
    constexpr int writeError = 1;

    bool readWholeFile (const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error)
    {
        std::ifstream in (path, std::ios::binary);
        if (! in)
        {
            error = "cannot read " + path;
            return false;
        }
        bytes.assign (std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>());
        if (in.bad())
        {
            error = "cannot read " + path;
            return false;
        }
        return true;
    }

    bool writeWholeFile (const std::string& path, const void* data, std::size_t size, std::string& error)
    {
        const std::string temp = path + ".part";
        std::FILE* f = std::fopen (temp.c_str(), "wb");
        bool ok = f != nullptr && std::fwrite (data, 1, size, f) == size;
        if (f != nullptr)
            ok = (std::fclose (f) == 0) && ok;
        ok = ok && std::rename (temp.c_str(), path.c_str()) == 0;
        if (! ok)
        {
            std::remove (temp.c_str());
            error = "cannot write " + path;
        }
        return ok;
    }

    std::string oneLine (juce::String s) { return s.replaceCharacters ("\r\n\t", "   ").trim().toStdString(); }

    std::string normaliseName (const juce::String& s)
    {
        // Parameter names may carry line breaks for the editor's layout.
        juce::String t = s.replaceCharacters ("\r\n\t", "   ").trim();
        while (t.contains ("  "))
            t = t.replace ("  ", " ");
        return t.toLowerCase().toStdString();
    }

    juce::AudioProcessorParameter* findParameter (juce::AudioProcessor& p, const std::string& name)
    {
        const auto& params = p.getParameters();
        const juce::String text (name);
        if (text.containsOnly ("0123456789") && text.isNotEmpty())
        {
            const int id = text.getIntValue();
            for (auto* param : params)
                if (param->getParameterIndex() == id)
                    return param;
            return nullptr;
        }
        const std::string wanted = normaliseName (text);
        for (auto* param : params)
            if (normaliseName (param->getName (1024)) == wanted)
                return param;
        return nullptr;
    }

    bool parameterValueFromText (juce::AudioProcessorParameter& param, const std::string& valueText, float& value)
    {
        const juce::String text = juce::String (valueText).trim();
        if (text.isEmpty())
            return false;
        const juce::String numeric = text.retainCharacters ("0123456789.+-eE");
        if (numeric == text)
        {
            const double v = text.getDoubleValue();
            if (v < 0.0 || v > 1.0 || ! std::isfinite (v))
                return false;
            value = (float) v;
            return true;
        }
        // A step or toggle text: search the parameter's own steps.
        const int steps = juce::jlimit (2, 4096, param.getNumSteps());
        for (int i = 0; i < steps; ++i)
        {
            const float v = (float) i / (float) (steps - 1);
            if (param.getText (v, 1024).trim().equalsIgnoreCase (text))
            {
                value = v;
                return true;
            }
        }
        return false;
    }

    void printParameters (juce::AudioProcessor& p, std::ostream& out)
    {
        std::vector<juce::AudioProcessorParameter*> params (p.getParameters().begin(), p.getParameters().end());
        std::sort (params.begin(), params.end(),
                   [] (auto* a, auto* b) { return a->getParameterIndex() < b->getParameterIndex(); });
        for (auto* param : params)
        {
            const float v = param->getValue();
            out << param->getParameterIndex() << '\t' << oneLine (param->getName (1024)) << '\t'
                << juce::String (v, 6).toStdString() << '\t' << oneLine (param->getText (v, 1024)) << '\n';
        }
    }

    /** Presets reach a host as its program list; unnamed programs are not presets. */
    std::vector<std::string> presetNames (juce::AudioProcessor& p)
    {
        std::vector<std::string> names;
        for (int i = 0; i < p.getNumPrograms(); ++i)
        {
            const juce::String name = p.getProgramName (i);
            if (name.isNotEmpty())
                names.push_back (name.toStdString());
        }
        return names;
    }

    bool applyPreset (juce::AudioProcessor& p, const std::string& name)
    {
        for (int i = 0; i < p.getNumPrograms(); ++i)
            if (p.getProgramName (i).isNotEmpty() && p.getProgramName (i).toStdString() == name)
            {
                p.setCurrentProgram (i);
                return true;
            }
        return false;
    }

    const char* stateName (StringState s)
    {
        switch (s)
        {
            case StringState::Chord:
                return "Chord";
            case StringState::Single:
                return "Single";
            case StringState::Legato:
                return "Legato";
            case StringState::Sustained:
                return "Sustained";
            case StringState::Free:
                break;
        }
        return "Free";
    }

    std::string jsonString (const std::string& s)
    {
        std::string r = "\"";
        for (unsigned char c : s)
        {
            if (c == '"' || c == '\\')
            {
                r += '\\';
                r += (char) c;
            }
            else if (c < 0x20)
            {
                char buf[8];
                std::snprintf (buf, sizeof (buf), "\\u%04x", c);
                r += buf;
            }
            else
                r += (char) c;
        }
        return r + "\"";
    }

    void writeTrace (std::ostream& trace, double seconds, const Fingering& f)
    {
        std::ostringstream line;
        char time[32];
        std::snprintf (time, sizeof (time), "%.6f", seconds);
        line << "{\"time\": " << time << ", \"frets\": [";
        for (int s = 0; s < StringCount; ++s)
            line << (s ? ", " : "") << f.fret[s];
        line << "], \"notes\": [";
        for (int s = 0; s < StringCount; ++s)
            line << (s ? ", " : "") << f.note[s];
        line << "], \"states\": [";
        for (int s = 0; s < StringCount; ++s)
            line << (s ? ", " : "") << '"' << stateName (f.state[s]) << '"';
        line << "], \"chord\": " << jsonString (f.getChordName()) << "}\n";
        trace << line.str();
    }

    bool transposeEvent (TimedMidiEvent& e, int semitones)
    {
        const int type = e.bytes[0] & 0xF0;
        if (semitones == 0 || (type != 0x80 && type != 0x90 && type != 0xA0))
            return true;
        const int n = e.bytes[1] + semitones;
        if (n < 0 || n > 127)
            return false;
        e.bytes[1] = (std::uint8_t) n;
        return true;
    }

    class ProgressBar
    {
    public:
        ProgressBar (bool enabled) : on (enabled && isatty (2)) {}

        void show (double fraction)
        {
            if (! on)
                return;
            const int percent = (int) (fraction * 100.0);
            if (percent == lastPercent)
                return;
            lastPercent = percent;
            const int filled = percent * 40 / 100;
            std::fprintf (stderr, "\rrendering [%.*s%*s] %3d%%", filled, "########################################",
                          40 - filled, "", percent);
            std::fflush (stderr);
        }

        void done()
        {
            if (on && lastPercent >= 0)
                std::fprintf (stderr, "\n");
        }

    private:
        bool on;
        int lastPercent = -1;
    };

    /** The WAV is written under a temporary name in the same folder and renamed into
        place by finish(), so a failed or interrupted render never leaves a truncated
        file under the requested name (the temporary file is deleted with this object). */
    class WavOutput
    {
    public:
        WavOutput (const std::string& path, SampleFormat format, int rate, int channels)
            : name (path), target (juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (path))),
              temporary (target), channelCount (channels)
        {
            auto file = std::make_unique<juce::FileOutputStream> (temporary.getFile());
            if (file->failedToOpen())
            {
                error = "cannot write " + name + ": " + file->getStatus().getErrorMessage().toStdString();
                return;
            }
            stream = file.get();
            const int bits = format == SampleFormat::pcm16 ? 16 : format == SampleFormat::pcm24 ? 24 : 32;
            writer.reset (juce::WavAudioFormat().createWriterFor (stream, rate, (unsigned int) channels, bits, {}, 0));
            if (writer == nullptr)
                error = "cannot write " + name + ": no WAV format for these settings";
            else
                file.release(); // the writer owns the stream now
        }

        bool isOpen() const { return writer != nullptr; }

        bool write (const juce::AudioBuffer<float>& buffer, int count)
        {
            if (writer == nullptr ||
                ! writer->writeFromFloatArrays (buffer.getArrayOfReadPointers(), channelCount, count))
                return fail();
            return true;
        }

        /** Completes the header and renames the file into place. */
        bool finish()
        {
            if (writer == nullptr)
                return fail();
            // The writer's flush() writes the final header, the stream's puts it on disk, and
            // the stream's status then tells whether any write failed.
            const bool headerWritten = writer->flush();
            stream->flush();
            const bool written = headerWritten && stream->getStatus().wasOk();
            writer.reset();
            if (! written)
                return fail();
            if (! temporary.overwriteTargetFileWithTemporary())
            {
                error = "cannot write " + name + ": the finished file could not be renamed into place";
                return false;
            }
            return true;
        }

        std::string error;

    private:
        bool fail()
        {
            if (error.empty())
            {
                const juce::Result status = stream != nullptr ? stream->getStatus() : juce::Result::ok();
                error = "cannot write " + name + (status.failed() ? ": " + status.getErrorMessage().toStdString() : "");
            }
            return false;
        }

        std::string name;
        juce::File target;
        juce::TemporaryFile temporary;
        int channelCount;
        juce::FileOutputStream* stream = nullptr;
        std::unique_ptr<juce::AudioFormatWriter> writer;
    };
} // namespace

int renderMain (const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    RenderOptions options;
    std::string error;
    if (! parseRenderOptions (args, options, error))
    {
        err << "tovalin-render: " << error << " (try --help)\n";
        return usageError;
    }
    if (options.help)
    {
        out << renderUsage();
        return 0;
    }

    MidiFileContents performance;
    if (options.input.empty())
        performance = demoPerformance();
    else if (! options.listParams && ! options.listPresets)
    {
        std::vector<std::uint8_t> bytes;
        if (! readWholeFile (options.input, bytes, error) || ! readMidiFile (bytes, performance, error))
        {
            err << "tovalin-render: " << options.input << ": " << error << "\n";
            return usageError;
        }
    }

    std::vector<std::uint8_t> stateBytes;
    if (! options.stateFile.empty())
    {
        if (! readWholeFile (options.stateFile, stateBytes, error))
        {
            err << "tovalin-render: " << error << "\n";
            return usageError;
        }
        const auto xml = xmlFromStateChunk (stateBytes.data(), (int) stateBytes.size());
        if (stateBytes.empty() || xml == nullptr || ! xml->hasTagName (TovalinPlugin::stateTag))
        {
            err << "tovalin-render: " << options.stateFile << ": not a Tovalin state chunk\n";
            return usageError;
        }
    }

    if (! options.simd.empty() && ! selectSimdPath (*simdPathFromName (options.simd)))
    {
        err << "tovalin-render: this processor lacks " << options.simd << "\n";
        return usageError;
    }

    auto plugin = std::make_unique<TovalinPlugin>();
    // The instrument's layouts are mono and stereo; a file of more channels gets the
    // same signal on every channel, as the processor copies its first channel over every
    // channel of the buffer it is given.
    const int playedChannels = std::min (options.channels, 2);
    plugin->setPlayConfigDetails (0, playedChannels, options.rate, options.block);
    if (plugin->getTotalNumOutputChannels() != playedChannels)
    {
        err << "tovalin-render: the instrument cannot play into " << playedChannels << " channels\n";
        return usageError;
    }

    if (! options.preset.empty() && ! applyPreset (*plugin, options.preset))
    {
        err << "tovalin-render: unknown preset '" << options.preset << "' (see --list-presets)\n";
        return usageError;
    }
    if (! stateBytes.empty())
        plugin->setStateInformation (stateBytes.data(), (int) stateBytes.size());
    for (const auto& [key, value] : options.prefs)
        if (key == "showWelcomePanel" || ! plugin->setPreference (key, value))
        {
            err << "tovalin-render: unknown preference '" << key
                << "' (use samplesOfLatency, chordsDetectionDelay, performanceLevel, bend, harmonics, "
                   "bendOnAftertouch or inversions)\n";
            return usageError;
        }
    for (const auto& [name, valueText] : options.sets)
    {
        auto* param = findParameter (*plugin, name);
        if (param == nullptr)
        {
            err << "tovalin-render: unknown parameter '" << name << "' (see --list-params)\n";
            return usageError;
        }
        float value = 0;
        if (! parameterValueFromText (*param, valueText, value))
        {
            err << "tovalin-render: bad value '" << valueText << "' for parameter '" << oneLine (param->getName (1024))
                << "' (a number 0..1 or one of its texts)\n";
            return usageError;
        }
        param->setValueNotifyingHost (value);
    }

    if (options.listParams)
    {
        printParameters (*plugin, out);
        return 0;
    }
    if (options.listPresets)
    {
        for (const auto& name : presetNames (*plugin))
            out << name << '\n';
        return 0;
    }

    // The performance, transposed, with each event on its host sample.
    struct HostEvent
    {
        long long sample;
        TimedMidiEvent event;
    };
    std::vector<HostEvent> events;
    double lastEventSeconds = 0.0;
    for (auto e : performance.events)
    {
        lastEventSeconds = std::max (lastEventSeconds, e.seconds);
        if (! transposeEvent (e, options.transpose))
            continue;
        events.push_back ({(long long) std::floor (e.seconds * options.rate), e});
    }
    constexpr double longestRender = 4.0 * 3600.0;
    if (lastEventSeconds + options.tailSeconds > longestRender)
    {
        err << "tovalin-render: the performance lasts longer than four hours\n";
        return usageError;
    }
    const long long totalSamples = (long long) std::ceil ((lastEventSeconds + options.tailSeconds) * options.rate);

    std::unique_ptr<std::ofstream> traceFile;
    std::ostream* trace = nullptr;
    if (! options.traceFile.empty())
    {
        if (options.traceFile == "-")
            trace = &out;
        else
        {
            traceFile = std::make_unique<std::ofstream> (options.traceFile, std::ios::trunc);
            if (! *traceFile)
            {
                err << "tovalin-render: cannot write " << options.traceFile << "\n";
                return writeError;
            }
            trace = traceFile.get();
        }
    }

    WavOutput wav (options.output, options.format, options.rate, options.channels);
    if (! wav.isOpen())
    {
        err << "tovalin-render: " << wav.error << "\n";
        return writeError;
    }

    plugin->prepareToPlay (options.rate, options.block);
    plugin->finishPendingWork();
    plugin->getFingering().takeChange();

    juce::AudioBuffer<float> buffer (options.channels, options.block);
    juce::MidiBuffer midi;
    midi.ensureSize (4096);
    ProgressBar progress (! options.quiet);
    std::size_t next = 0;
    bool writeOk = true;
    for (long long pos = 0; pos < totalSamples && writeOk; pos += options.block)
    {
        const int n = (int) std::min<long long> (options.block, totalSamples - pos);
        buffer.setSize (options.channels, n, false, false, true);
        buffer.clear();
        midi.clear();
        while (next < events.size() && events[next].sample < pos + n)
        {
            const auto& e = events[next].event;
            midi.addEvent (e.bytes, e.size, (int) std::max<long long> (0, events[next].sample - pos));
            ++next;
        }
        {
            // As a host does: the string installs wait for the block to finish.
            const juce::ScopedLock sl (plugin->getCallbackLock());
            plugin->processBlock (buffer, midi);
        }
        // Between blocks the renderer is the message thread: mapped preset loads and
        // what the block handed off run here, and the strings a change asked for are
        // installed from the next block on, so the same input always renders the same.
        plugin->finishPendingWork();
        writeOk = wav.write (buffer, n);

        if (trace != nullptr && plugin->getFingering().takeChange())
            writeTrace (*trace, (double) (pos + n) / options.rate, plugin->getFingering());
        progress.show ((double) (pos + n) / (double) totalSamples);
    }
    progress.done();
    plugin->releaseResources();

    if (! writeOk || ! wav.finish())
    {
        err << "tovalin-render: " << wav.error << "\n";
        return writeError;
    }
    if (trace != nullptr)
    {
        trace->flush();
        if (! *trace)
        {
            err << "tovalin-render: cannot write " << options.traceFile << "\n";
            return writeError;
        }
    }

    if (! options.saveStateFile.empty())
    {
        juce::MemoryBlock state;
        plugin->getStateInformation (state);
        if (! writeWholeFile (options.saveStateFile, state.getData(), state.getSize(), error))
        {
            err << "tovalin-render: " << error << "\n";
            return writeError;
        }
    }

    const std::string written = juce::File::getCurrentWorkingDirectory()
                                    .getChildFile (juce::String (options.output))
                                    .getFullPathName()
                                    .toStdString();
    if (options.input.empty())
        err << "tovalin-render: wrote the demo performance to " << written << "\n";
    else if (! options.quiet)
        err << "tovalin-render: wrote " << written << "\n";
    return 0;
}

} // namespace tovalin
