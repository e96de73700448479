#include "BuiltInPresets.h"

namespace tovalin
{
// The sixteen built-in sound presets: every parameter but "Toggle chords", forced ones
// marked "auto"; only "Default" carries a velocity curve.
extern const char builtInPresetsDocument[];
const char builtInPresetsDocument[] = R"PRESETS(<?xml version="1.0" encoding="UTF-8"?>
<PresetSet>
  <Preset name="Are You Classical ?" desc="">
    <Parameter id="0" title="Guitar type" value="0" auto="0"/>
    <Parameter id="1" title="Room type" value="0.6" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.2258" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.5264" auto="0"/>
    <Parameter id="6" title="Color" value="0.5554" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.75" auto="0"/>
    <Parameter id="8" title="Mix" value="0.2381" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.3056" auto="0"/>
  </Preset>
  <Preset name="That's All, Folk !" desc="">
    <Parameter id="0" title="Guitar type" value="0.75" auto="0"/>
    <Parameter id="1" title="Room type" value="0.6" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.5806" auto="0"/>
    <Parameter id="4" title="Volume" value="0.5088" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.3285" auto="0"/>
    <Parameter id="6" title="Color" value="0.2926" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.3889" auto="0"/>
    <Parameter id="8" title="Mix" value="0.1746" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0.7818" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.4545" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.2" auto="0"/>
  </Preset>
  <Preset name="My Tiny Ukulele" desc="">
    <Parameter id="0" title="Guitar type" value="1" auto="0"/>
    <Parameter id="1" title="Room type" value="0.4" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.5323" auto="0"/>
    <Parameter id="4" title="Volume" value="0.5" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.7522" auto="0"/>
    <Parameter id="6" title="Color" value="0.6075" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0" auto="0"/>
    <Parameter id="8" title="Mix" value="1" auto="0"/>
    <Parameter id="9" title="Excitation type" value="1" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="1" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="1" auto="0"/>
  </Preset>
  <Preset name="Old Banjo" desc="">
    <Parameter id="0" title="Guitar type" value="0.875" auto="0"/>
    <Parameter id="1" title="Room type" value="0.8" auto="0"/>
    <Parameter id="2" title="String type" value="1" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.3065" auto="0"/>
    <Parameter id="4" title="Volume" value="0.5" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.6874" auto="0"/>
    <Parameter id="6" title="Color" value="0.3369" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.4167" auto="0"/>
    <Parameter id="8" title="Mix" value="0.6508" auto="0"/>
    <Parameter id="9" title="Excitation type" value="1" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="1" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.6944" auto="0"/>
  </Preset>
  <Preset name="Grapes of Joy" desc="">
    <Parameter id="0" title="Guitar type" value="0.625" auto="0"/>
    <Parameter id="1" title="Room type" value="0.2" auto="0"/>
    <Parameter id="2" title="String type" value="1" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.6935" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.5682" auto="0"/>
    <Parameter id="6" title="Color" value="0.5869" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.4444" auto="0"/>
    <Parameter id="8" title="Mix" value="0.1905" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0.2" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.4961" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.2778" auto="0"/>
  </Preset>
  <Preset name="Sweet Pop" desc="">
    <Parameter id="0" title="Guitar type" value="0" auto="0"/>
    <Parameter id="1" title="Room type" value="0.2" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.7581" auto="0"/>
    <Parameter id="4" title="Volume" value="0.193" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.2707" auto="0"/>
    <Parameter id="6" title="Color" value="0.6397" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.1944" auto="0"/>
    <Parameter id="8" title="Mix" value="1" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="1" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.2222" auto="0"/>
  </Preset>
  <Preset name="Musical Box" desc="">
    <Parameter id="0" title="Guitar type" value="0.75" auto="0"/>
    <Parameter id="1" title="Room type" value="0.4" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0" auto="0"/>
    <Parameter id="6" title="Color" value="0" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="1" auto="0"/>
    <Parameter id="8" title="Mix" value="0.2381" auto="0"/>
    <Parameter id="9" title="Excitation type" value="1" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="1" auto="1"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0.9888" auto="1"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0.9888" auto="1"/>
    <Parameter id="18" title="Vibrato max freq" value="1" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.4773" auto="0"/>
    <Parameter id="21" title="Twang" value="1" auto="0"/>
  </Preset>
  <Preset name="Heavy" desc="">
    <Parameter id="0" title="Guitar type" value="0.75" auto="0"/>
    <Parameter id="1" title="Room type" value="0" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.629" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.5682" auto="0"/>
    <Parameter id="6" title="Color" value="0.5124" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.5" auto="0"/>
    <Parameter id="8" title="Mix" value="0.0952" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.4727" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.3056" auto="0"/>
  </Preset>
  <Preset name="Give Me Space" desc="">
    <Parameter id="0" title="Guitar type" value="0" auto="0"/>
    <Parameter id="1" title="Room type" value="1" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.4194" auto="0"/>
    <Parameter id="4" title="Volume" value="0.3509" auto="0"/>
    <Parameter id="5" title="Impedance" value="0" auto="0"/>
    <Parameter id="6" title="Color" value="0.5393" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.3056" auto="0"/>
    <Parameter id="8" title="Mix" value="1" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0.6909" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.4727" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0.9888" auto="1"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5227" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5455" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5227" auto="0"/>
    <Parameter id="21" title="Twang" value="0.3333" auto="0"/>
  </Preset>
  <Preset name="Shade of Summer" desc="">
    <Parameter id="0" title="Guitar type" value="0.125" auto="0"/>
    <Parameter id="1" title="Room type" value="0.4" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.5161" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.6051" auto="0"/>
    <Parameter id="6" title="Color" value="0.4078" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="1" auto="0"/>
    <Parameter id="8" title="Mix" value="0.4444" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.4961" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.6667" auto="0"/>
  </Preset>
  <Preset name="Plucky One" desc="">
    <Parameter id="0" title="Guitar type" value="0.75" auto="0"/>
    <Parameter id="1" title="Room type" value="0.4" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.2258" auto="0"/>
    <Parameter id="4" title="Volume" value="0.5088" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.5153" auto="0"/>
    <Parameter id="6" title="Color" value="0.5132" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.6944" auto="0"/>
    <Parameter id="8" title="Mix" value="0.1587" auto="0"/>
    <Parameter id="9" title="Excitation type" value="1" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.4545" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.4167" auto="0"/>
  </Preset>
  <Preset name="Hello Aviator" desc="">
    <Parameter id="0" title="Guitar type" value="0.375" auto="0"/>
    <Parameter id="1" title="Room type" value="0.4" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.1774" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.3749" auto="0"/>
    <Parameter id="6" title="Color" value="0.3925" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.8889" auto="0"/>
    <Parameter id="8" title="Mix" value="0.1746" auto="0"/>
    <Parameter id="9" title="Excitation type" value="1" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.4961" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.75" auto="0"/>
  </Preset>
  <Preset name="Trauma" desc="">
    <Parameter id="0" title="Guitar type" value="0.5" auto="0"/>
    <Parameter id="1" title="Room type" value="1" auto="0"/>
    <Parameter id="2" title="String type" value="1" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.4032" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.7368" auto="0"/>
    <Parameter id="6" title="Color" value="1" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0" auto="0"/>
    <Parameter id="8" title="Mix" value="0" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0.5091" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.4961" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0.9888" auto="1"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5909" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="1" auto="0"/>
  </Preset>
  <Preset name="Fiery Chorizo" desc="">
    <Parameter id="0" title="Guitar type" value="0.25" auto="0"/>
    <Parameter id="1" title="Room type" value="0.8" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.5161" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.3333" auto="0"/>
    <Parameter id="6" title="Color" value="0.5" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.4444" auto="0"/>
    <Parameter id="8" title="Mix" value="0.3492" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.4961" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5909" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.1944" auto="0"/>
  </Preset>
  <Preset name="Uranus" desc="">
    <Parameter id="0" title="Guitar type" value="0.5" auto="0"/>
    <Parameter id="1" title="Room type" value="1" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.7419" auto="0"/>
    <Parameter id="4" title="Volume" value="0.4386" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.1235" auto="0"/>
    <Parameter id="6" title="Color" value="0.2605" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="1" auto="0"/>
    <Parameter id="8" title="Mix" value="0.8413" auto="0"/>
    <Parameter id="9" title="Excitation type" value="0" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3273" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.4961" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0.9888" auto="1"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5909" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0" auto="0"/>
  </Preset>
  <Preset name="Default" desc="">
    <Parameter id="0" title="Guitar type" value="0" auto="0"/>
    <Parameter id="1" title="Room type" value="0.5" auto="0"/>
    <Parameter id="2" title="String type" value="0" auto="0"/>
    <Parameter id="3" title="Attack Place" value="0.42" auto="0"/>
    <Parameter id="4" title="Volume" value="0.5" auto="0"/>
    <Parameter id="5" title="Impedance" value="0.5" auto="0"/>
    <Parameter id="6" title="Color" value="0.5" auto="0"/>
    <Parameter id="7" title="Inharmonicity" value="0.5" auto="0"/>
    <Parameter id="8" title="Mix" value="0.5" auto="0"/>
    <Parameter id="9" title="Excitation type" value="1" auto="0"/>
    <Parameter id="10" title="Strumming speed" value="0.3" auto="0"/>
    <Parameter id="11" title="Vibrato freq." value="0" auto="0"/>
    <Parameter id="12" title="Pitch Bend" value="0.5" auto="0"/>
    <Parameter id="13" title="Toggle harmonics" value="0" auto="0"/>
    <Parameter id="14" title="Toggle palm" value="0" auto="0"/>
    <Parameter id="15" title="Toggle legato" value="0" auto="0"/>
    <Parameter id="16" title="Toggle sustain" value="0" auto="0"/>
    <Parameter id="18" title="Vibrato max freq" value="0.5" auto="0"/>
    <Parameter id="19" title="Palm mute amount" value="0.5" auto="0"/>
    <Parameter id="20" title="Harmonics amount" value="0.5" auto="0"/>
    <Parameter id="21" title="Twang" value="0.5" auto="0"/>
    <VelocityPoint id="0" value="0"/>
    <VelocityPoint id="127" value="127"/>
  </Preset>
</PresetSet>
)PRESETS";

const size_t builtInPresetsDocumentSize = sizeof (builtInPresetsDocument) - 1;

} // namespace tovalin
