#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tovalin
{
enum class SampleFormat
{
    pcm16,
    pcm24,
    float32
};

struct RenderOptions
{
    std::string input;  // empty: the built-in demo
    std::string output; // empty: the default name
    SampleFormat format = SampleFormat::pcm24;
    int rate = 44100;
    int block = 512;
    int channels = 2;
    int transpose = 0;
    std::vector<std::pair<std::string, std::string>> sets;
    std::vector<std::pair<std::string, int>> prefs;
    std::string preset;
    std::string stateFile;
    std::string saveStateFile;
    double tailSeconds = 3.0;
    std::string traceFile;
    std::string simd; // empty: the widest path the processor has (or TOVALIN_SIMD)
    bool listParams = false;
    bool listPresets = false;
    bool quiet = false;
    bool help = false;
};

/** Parses the command line (without the program name). False with a one-line error
    for bad usage or a bad option value. */
bool parseRenderOptions (const std::vector<std::string>& args, RenderOptions& options, std::string& error);

/** The default output name: tovalin-demo.wav for the demo, else the input with .wav. */
std::string defaultOutputName (const std::string& input);

const char* renderUsage();

} // namespace tovalin
