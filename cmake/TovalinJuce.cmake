# The JUCE modules that the headless processor, its tests and its tools share,
# compiled once into one static library. Debian's JUCE does not bundle libpng,
# libjpeg and zlib: the system libraries are linked instead.
# Modal loops are off for everything (plug-in hosts do not allow them): dialogs run
# asynchronously, and tests pump messages with tests/MessagePump.h.

pkg_check_modules(TOVALIN_SYSLIBS REQUIRED IMPORTED_TARGET
  libpng libjpeg zlib freetype2 fontconfig alsa)

add_library(tovalin_juce STATIC)
target_link_libraries(tovalin_juce
  PRIVATE
    juce::juce_audio_processors
    juce::juce_audio_formats
    juce::juce_audio_utils
  PUBLIC
    juce::juce_recommended_config_flags
    PkgConfig::TOVALIN_SYSLIBS
    Threads::Threads
    ${CMAKE_DL_LIBS})
find_package(Threads REQUIRED)
# The VST 2.4 interface for hosting comes from the FST headers (see the top level).
target_link_libraries(tovalin_juce PRIVATE juce_vst2_sdk)

target_compile_definitions(tovalin_juce
  PUBLIC
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_USE_FLAC=0
    JUCE_USE_OGGVORBIS=0
    JUCE_USE_MP3AUDIOFORMAT=0
    JUCE_USE_LAME_AUDIO_FORMAT=0
    JUCE_USE_WINDOWS_MEDIA_FORMAT=0
    # Hosting, for the plug-in checker that loads our own formats from their files.
    JUCE_PLUGINHOST_VST=1
    JUCE_PLUGINHOST_VST3=1
    JUCE_PLUGINHOST_LV2=1
    JUCE_PLUGINHOST_LADSPA=0
    JUCE_VST3_CAN_REPLACE_VST2=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_MODAL_LOOPS_PERMITTED=0
    JUCE_STRICT_REFCOUNTEDPOINTER=1
    JUCE_INCLUDE_ZLIB_CODE=0
    JUCE_INCLUDE_PNGLIB_CODE=0
    JUCE_INCLUDE_JPEGLIB_CODE=0)

# Everything that links tovalin_juce sees the modules' headers and settings.
target_compile_definitions(tovalin_juce INTERFACE
  $<TARGET_PROPERTY:tovalin_juce,COMPILE_DEFINITIONS>)
target_include_directories(tovalin_juce SYSTEM INTERFACE
  $<TARGET_PROPERTY:tovalin_juce,INCLUDE_DIRECTORIES>)
set_target_properties(tovalin_juce PROPERTIES POSITION_INDEPENDENT_CODE ON)
