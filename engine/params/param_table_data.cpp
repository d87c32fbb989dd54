// Parameter and descriptor tables of the four machines and the common voice
// parameters. Values are exact single-precision numbers; texts are UTF-8.

#include "engine/params/param_table_data.h"

namespace ob::param_data {
namespace {
constexpr const char* kDrum0Labels[] = {"silent",       "beater click", "knock", "noise burst",
                                        "recorded hit", "clap",         "hiss"};
constexpr const char* kDrum0Keys[] = {"none", "click", "knock", "bp-noise", "sample", "clap", "hp-noise"};
constexpr const char* kDrum6Labels[] = {"forwards", "backwards"};
constexpr const char* kDrum6Keys[] = {"forward", "reverse"};
constexpr const char* kDrum7Labels[] = {"silent",       "beater click", "knock", "noise burst",
                                        "recorded hit", "clap",         "hiss"};
constexpr const char* kDrum7Keys[] = {"none", "click", "knock", "bp-noise", "sample", "clap", "hp-noise"};
constexpr const char* kDrum13Labels[] = {"forwards", "backwards"};
constexpr const char* kDrum13Keys[] = {"forward", "reverse"};
constexpr const char* kDrum15Labels[] = {"no body", "sine body", "shell", "modal",    "recorded body",
                                         "metal",   "string",    "fm",    "wavetable"};
constexpr const char* kDrum15Keys[] = {"none",  "sine",   "shell", "modal", "sample",
                                       "metal", "string", "fm",    "wave"};
constexpr const char* kDrum22Labels[] = {"forwards", "backwards"};
constexpr const char* kDrum22Keys[] = {"forward", "reverse"};
constexpr const char* kDrum26Labels[] = {"in the body", "after the mix"};
constexpr const char* kDrum26Keys[] = {"in-body", "post-mix"};
constexpr const char* kSample4Labels[] = {"once", "loop"};
constexpr const char* kSample4Keys[] = {"one-shot", "loop"};
constexpr const char* kSample5Labels[] = {"forwards", "backwards"};
constexpr const char* kSample5Keys[] = {"forward", "reverse"};
constexpr const char* kSample11Labels[] = {"off", "on"};
constexpr const char* kSample11Keys[] = {"off", "on"};
constexpr const char* kSample17Labels[] = {"start/end window", "slice table"};
constexpr const char* kSample17Keys[] = {"range", "slices"};
constexpr const char* kVa1Labels[] = {"saw", "pulse", "triangle"};
constexpr const char* kVa1Keys[] = {"saw", "pulse", "tri"};
constexpr const char* kVa2Labels[] = {"saw", "pulse", "triangle"};
constexpr const char* kVa2Keys[] = {"saw", "pulse", "tri"};
constexpr const char* kVa6Labels[] = {"low-pass", "high-pass", "band-pass"};
constexpr const char* kVa6Keys[] = {"lp", "hp", "bp"};
constexpr const char* kGranular10Labels[] = {"off", "on"};
constexpr const char* kGranular10Keys[] = {"off", "on"};
constexpr const char* kCommon4Labels[] = {"low-pass", "high-pass", "band-pass"};
constexpr const char* kCommon4Keys[] = {"lp", "hp", "bp"};
constexpr const char* kCommon9Labels[] = {"cubic", "tanh", "fold"};
constexpr const char* kCommon9Keys[] = {"cubic", "tanh", "fold"};
constexpr const char* kCommon14Labels[] = {"low-pass", "high-pass", "band-pass"};
constexpr const char* kCommon14Keys[] = {"lp", "hp", "bp"};
constexpr const char* kCommon15Labels[] = {"seconds", "tempo"};
constexpr const char* kCommon15Keys[] = {"free", "sync"};
// The tempo divisions, for both synced amp times.
constexpr const char* kDivisionLabels[] = {"1/32", "1/16T", "1/16", "1/16.", "1/8T",
                                           "1/8",  "1/8.",  "1/4",  "1/2",   "1/1"};
constexpr const char* kDivisionKeys[] = {"1-32", "1-16t", "1-16", "1-16d", "1-8t",
                                         "1-8",  "1-8d",  "1-4",  "1-2",   "1-1"};
constexpr const char* kCommon21Labels[] = {"forwards", "backwards"};
constexpr const char* kCommon21Keys[] = {"forward", "reverse"};
}  // namespace

const ParamInfo kDrumParams[30] = {
    {"exc1_type", 0.0f, 6.0f, 1.0f, "", 1, kDrum0Labels, kDrum0Keys, 7},
    {"exc1_tone", 0.0f, 1.0f, 0.5f, "", 0, nullptr, nullptr, 0},
    {"exc1_decay", 0.0005f, 0.5f, 0.003f, "s", 0, nullptr, nullptr, 0},
    {"exc1_level", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"exc1_aux1", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"exc1_aux2", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"exc1_rev", 0.0f, 1.0f, 0.0f, "", 1, kDrum6Labels, kDrum6Keys, 2},
    {"exc2_type", 0.0f, 6.0f, 0.0f, "", 1, kDrum7Labels, kDrum7Keys, 7},
    {"exc2_tone", 0.0f, 1.0f, 0.5f, "", 0, nullptr, nullptr, 0},
    {"exc2_decay", 0.0005f, 0.5f, 0.01f, "s", 0, nullptr, nullptr, 0},
    {"exc2_level", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"exc2_aux1", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"exc2_aux2", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"exc2_rev", 0.0f, 1.0f, 0.0f, "", 1, kDrum13Labels, kDrum13Keys, 2},
    {"bleed", 0.0f, 1.0f, 1.0f, "", 0, nullptr, nullptr, 0},
    {"res_type", 0.0f, 8.0f, 1.0f, "", 1, kDrum15Labels, kDrum15Keys, 9},
    {"res_tune", 20.0f, 400.0f, 55.0f, "Hz", 0, nullptr, nullptr, 0},
    {"res_decay", 0.02f, 4.0f, 0.35f, "s", 0, nullptr, nullptr, 0},
    {"res_tone", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"res_level", 0.0f, 1.0f, 0.9f, "", 0, nullptr, nullptr, 0},
    {"res_aux1", 0.0f, 1.0f, 0.583f, "", 0, nullptr, nullptr, 0},
    {"res_aux2", 0.0f, 1.0f, 0.114f, "", 0, nullptr, nullptr, 0},
    {"res_rev", 0.0f, 1.0f, 0.0f, "", 1, kDrum22Labels, kDrum22Keys, 2},
    {"dist_amt", 0.0f, 1.0f, 0.2f, "", 0, nullptr, nullptr, 0},
    {"dist_bias", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"dist_fold", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"dist_pos", 0.0f, 1.0f, 0.0f, "", 1, kDrum26Labels, kDrum26Keys, 2},
    {"level", 0.0f, 1.0f, 0.9f, "", 0, nullptr, nullptr, 0},
    {"exc1_width", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"exc2_width", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
};

const ParamInfo kSampleParams[18] = {
    {"slot", 0.0f, 63.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"tune", -24.0f, 24.0f, 0.0f, "st", 0, nullptr, nullptr, 0},
    {"start", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"end", 0.0f, 1.0f, 1.0f, "", 0, nullptr, nullptr, 0},
    {"loop", 0.0f, 1.0f, 0.0f, "", 1, kSample4Labels, kSample4Keys, 2},
    {"reverse", 0.0f, 1.0f, 0.0f, "", 1, kSample5Labels, kSample5Keys, 2},
    {"attack", 0.0f, 0.5f, 0.001f, "s", 0, nullptr, nullptr, 0},
    {"decay", 0.01f, 8.0f, 8.0f, "s", 0, nullptr, nullptr, 0},
    {"level", 0.0f, 1.0f, 0.9f, "", 0, nullptr, nullptr, 0},
    {"crush", 1.0f, 16.0f, 16.0f, "bits", 0, nullptr, nullptr, 0},
    {"srr", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"normalize", 0.0f, 1.0f, 0.0f, "", 1, kSample11Labels, kSample11Keys, 2},
    {"gain", -24.0f, 24.0f, 0.0f, "dB", 0, nullptr, nullptr, 0},
    {"fadeIn", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"fadeOut", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"lp", 200.0f, 20000.0f, 20000.0f, "Hz", 0, nullptr, nullptr, 0},
    {"slice", 0.0f, 63.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"window_mode", 0.0f, 1.0f, 0.0f, "", 1, kSample17Labels, kSample17Keys, 2},
};

const ParamInfo kVaParams[12] = {
    {"tune", 20.0f, 2000.0f, 110.0f, "Hz", 0, nullptr, nullptr, 0},
    {"wave1", 0.0f, 2.0f, 0.0f, "", 1, kVa1Labels, kVa1Keys, 3},
    {"wave2", 0.0f, 2.0f, 0.0f, "", 1, kVa2Labels, kVa2Keys, 3},
    {"detune", 0.0f, 12.0f, 0.1f, "st", 0, nullptr, nullptr, 0},
    {"cutoff", 20.0f, 18000.0f, 2000.0f, "Hz", 0, nullptr, nullptr, 0},
    {"reso", 0.0f, 1.0f, 0.2f, "", 0, nullptr, nullptr, 0},
    {"mode", 0.0f, 2.0f, 0.0f, "", 1, kVa6Labels, kVa6Keys, 3},
    {"env_amt", 0.0f, 1.0f, 0.3f, "", 0, nullptr, nullptr, 0},
    {"pitch_env", -24.0f, 24.0f, 0.0f, "st", 0, nullptr, nullptr, 0},
    {"attack", 0.001f, 1.0f, 0.005f, "s", 0, nullptr, nullptr, 0},
    {"decay", 0.02f, 4.0f, 0.5f, "s", 0, nullptr, nullptr, 0},
    {"level", 0.0f, 1.0f, 0.8f, "", 0, nullptr, nullptr, 0},
};

const ParamInfo kGranularParams[12] = {
    {"slot", 0.0f, 63.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"size", 5.0f, 200.0f, 50.0f, "ms", 0, nullptr, nullptr, 0},
    {"density", 1.0f, 100.0f, 20.0f, "Hz", 0, nullptr, nullptr, 0},
    {"position", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"spray", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"tune", -24.0f, 24.0f, 0.0f, "st", 0, nullptr, nullptr, 0},
    {"attack", 0.0f, 0.5f, 0.001f, "s", 0, nullptr, nullptr, 0},
    {"decay", 0.01f, 8.0f, 1.0f, "s", 0, nullptr, nullptr, 0},
    {"level", 0.0f, 1.0f, 0.9f, "", 0, nullptr, nullptr, 0},
    {"spread", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"normalize", 0.0f, 1.0f, 0.0f, "", 1, kGranular10Labels, kGranular10Keys, 2},
    {"gain", -24.0f, 24.0f, 0.0f, "dB", 0, nullptr, nullptr, 0},
};

const ParamInfo kCommonParams[22] = {
    {"ts_attack", -1.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"ts_sustain", -1.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"flt_cutoff", 20.0f, 20000.0f, 20000.0f, "Hz", 0, nullptr, nullptr, 0},
    {"flt_reso", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"flt_type", 0.0f, 2.0f, 0.0f, "", 1, kCommon4Labels, kCommon4Keys, 3},
    {"amp_attack", 0.0f, 2.0f, 0.0f, "s", 0, nullptr, nullptr, 0},
    {"amp_hold", 0.0f, 2.0f, 2.0f, "s", 0, nullptr, nullptr, 0},
    {"amp_decay", 0.0f, 8.0f, 8.0f, "s", 0, nullptr, nullptr, 0},
    {"fx_drive", 1.0f, 16.0f, 1.0f, "x", 0, nullptr, nullptr, 0},
    {"fx_shape", 0.0f, 2.0f, 0.0f, "", 1, kCommon9Labels, kCommon9Keys, 3},
    {"fx_crush", 1.0f, 16.0f, 16.0f, "bits", 0, nullptr, nullptr, 0},
    {"fx_srr", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"flt2_cutoff", 20.0f, 20000.0f, 20000.0f, "Hz", 0, nullptr, nullptr, 0},
    {"flt2_reso", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"flt2_type", 0.0f, 2.0f, 0.0f, "", 1, kCommon14Labels, kCommon14Keys, 3},
    {"amp_sync", 0.0f, 1.0f, 0.0f, "", 1, kCommon15Labels, kCommon15Keys, 2},
    {"amp_atk_div", 0.0f, 9.0f, 2.0f, "", 1, kDivisionLabels, kDivisionKeys, 10},
    {"amp_dec_div", 0.0f, 9.0f, 5.0f, "", 1, kDivisionLabels, kDivisionKeys, 10},
    {"space_size", 0.0f, 1.0f, 0.35f, "", 0, nullptr, nullptr, 0},
    {"space_mix", 0.0f, 1.0f, 0.0f, "", 0, nullptr, nullptr, 0},
    {"space_damp", 0.0f, 1.0f, 0.5f, "", 0, nullptr, nullptr, 0},
    {"voice_rev", 0.0f, 1.0f, 0.0f, "", 1, kCommon21Labels, kCommon21Keys, 2},
};

const ParamDescriptor kDrumDescriptors[30] = {
    {"exc1_type", "Hit 1", "Exciter 1", "The first strike — beater, click, noise or clap. Chosen by ear.", 0,
     0.0f, 0.0f},
    {"exc1_tone", "Hit 1 Tone", "Exciter 1", "Colour of the first hit, darker to brighter.", 1, 0.1f, 0.25f},
    {"exc1_decay", "Hit 1 Length", "Exciter 1", "How long the first hit lasts — a tick to a longer knock.", 1,
     0.06f, 0.12f},
    {"exc1_level", "Hit 1 Level", "Exciter 1", "How loud the first hit sits under the body.", 1, 0.0f, 0.0f},
    {"exc1_aux1", "Hit 1 Shape", "Exciter 1",
     "Extra shaping for the first hit; its meaning follows the hit type.", 1, 0.0f, 0.0f},
    {"exc1_aux2", "Hit 1 Shape 2", "Exciter 1", "A second shaping amount for the first hit.", 1, 0.0f, 0.0f},
    {"exc1_rev", "Hit 1 Reverse", "Exciter 1", "Play a recorded first hit backwards (recorded hit only).", 0,
     0.0f, 0.0f},
    {"exc2_type", "Hit 2", "Exciter 2", "A second strike layered on the first — off by default.", 0, 0.0f,
     0.0f},
    {"exc2_tone", "Hit 2 Tone", "Exciter 2", "Colour of the second hit, darker to brighter.", 1, 0.0f, 0.0f},
    {"exc2_decay", "Hit 2 Length", "Exciter 2", "How long the second hit lasts.", 1, 0.0f, 0.0f},
    {"exc2_level", "Hit 2 Level", "Exciter 2", "How loud the second hit sits under the body.", 1, 0.0f, 0.0f},
    {"exc2_aux1", "Hit 2 Shape", "Exciter 2",
     "Extra shaping for the second hit; its meaning follows the hit type.", 1, 0.0f, 0.0f},
    {"exc2_aux2", "Hit 2 Shape 2", "Exciter 2", "A second shaping amount for the second hit.", 1, 0.0f, 0.0f},
    {"exc2_rev", "Hit 2 Reverse", "Exciter 2", "Play a recorded second hit backwards (recorded hit only).", 0,
     0.0f, 0.0f},
    {"bleed", "Bleed", "Bleed",
     "How much of the raw hit you hear alongside the body — click-forward to pure body.", 1, 0.1f, 0.2f},
    {"res_type", "Body", "Resonator",
     "What rings after the hit — sine, shell, modal, metal, string and more.", 0, 0.0f, 0.0f},
    {"res_tune", "Body Pitch", "Resonator",
     "The body's pitch — where the drum sits, from a deep kick to a high tom.", 1, 0.0f, 0.0f},
    {"res_decay", "Body Length", "Resonator", "How long the body rings — a tight blip to a long tail.", 1,
     0.08f, 0.15f},
    {"res_tone", "Body Tone", "Resonator", "The body's colour or hold, darker to brighter, per body type.", 1,
     0.08f, 0.2f},
    {"res_level", "Body Level", "Resonator", "How loud the ringing body is.", 1, 0.0f, 0.0f},
    {"res_aux1", "Body Shape", "Resonator",
     "Extra body shaping — pitch sweep, inharmonicity or FM index, per type.", 1, 0.0f, 0.0f},
    {"res_aux2", "Body Shape 2", "Resonator",
     "A second body shaping amount, e.g. how fast the pitch sweep falls.", 1, 0.0f, 0.0f},
    {"res_rev", "Body Reverse", "Resonator",
     "Ring a recorded body backwards — a decaying take swells instead (recorded body only).", 0, 0.0f, 0.0f},
    {"dist_amt", "Drive", "Distortion", "How hard the body is driven, clean to saturated.", 1, 0.08f, 0.2f},
    {"dist_bias", "Drive Bias", "Distortion",
     "Asymmetry in the drive — adds even harmonics for a warmer grit.", 1, 0.0f, 0.0f},
    {"dist_fold", "Wavefold", "Distortion", "Folds the waveform back on itself for a harsher, metallic edge.",
     1, 0.0f, 0.0f},
    {"dist_pos", "Drive Position", "Distortion", "Where the drive sits — inside the body, or after the mix.",
     0, 0.0f, 0.0f},
    {"level", "Level", "Output", "The drum's overall output level.", 1, 0.0f, 0.0f},
    {"exc1_width", "Hit 1 Width", "Exciter 1",
     "How far a noise first hit spreads across the stereo field; the body stays centred.", 1, 0.0f, 0.0f},
    {"exc2_width", "Hit 2 Width", "Exciter 2",
     "How far a noise second hit spreads across the stereo field; the body stays centred.", 1, 0.0f, 0.0f},
};

const ParamDescriptor kSampleDescriptors[18] = {
    {"slot", "Sample", "Source", "Which sample from the pool this voice plays.", 0, 0.0f, 0.0f},
    {"tune", "Tune", "Source", "Playback pitch, in semitones.", 1, 0.04f, 0.0f},
    {"start", "Start", "Window", "Where playback begins inside the sample.", 1, 0.0f, 0.0f},
    {"end", "End", "Window", "Where playback ends inside the sample.", 1, 0.0f, 0.0f},
    {"loop", "Loop", "Window", "Loop the window, or play it once.", 0, 0.0f, 0.0f},
    {"reverse", "Reverse", "Window", "Play the sample backwards.", 0, 0.0f, 0.0f},
    {"attack", "Attack", "Envelope", "How fast the amp fades in.", 1, 0.0f, 0.0f},
    {"decay", "Decay", "Envelope", "How fast the amp fades out; long plays to the end.", 1, 0.06f, 0.1f},
    {"level", "Level", "Output", "The voice's overall output level.", 1, 0.0f, 0.0f},
    {"crush", "Bit Crush", "Lo-fi", "Reduces bit depth for a dirtier, lo-fi grain.", 1, 0.0f, 0.0f},
    {"srr", "Rate Reduce", "Lo-fi", "Reduces the sample rate for a grittier, aliased edge.", 1, 0.0f, 0.0f},
    {"normalize", "Normalize", "Source", "Scale the sample up to full level automatically.", 0, 0.0f, 0.0f},
    {"gain", "Gain", "Output", "Manual level trim, in dB.", 1, 0.0f, 0.0f},
    {"fadeIn", "Fade In", "Window", "A fade at the window start, to soften the attack.", 1, 0.0f, 0.0f},
    {"fadeOut", "Fade Out", "Window", "A fade at the window end, to soften the release.", 1, 0.0f, 0.0f},
    {"lp", "Tone", "Lo-fi", "A low-pass that rolls off the top end — darker as you lower it.", 1, 0.08f,
     0.25f},
    {"slice", "Slice", "Window", "Which slice of the sample this step plays.", 0, 0.0f, 0.0f},
    {"window_mode", "Window Mode", "Window", "Use the start/end window, or the slice table.", 0, 0.0f, 0.0f},
};

const ParamDescriptor kVaDescriptors[12] = {
    {"tune", "Tune", "Oscillators", "Base pitch in Hz; the note scales it in chromatic mode.", 1, 0.0f, 0.0f},
    {"wave1", "Osc 1 Wave", "Oscillators", "Oscillator 1 shape — saw, pulse or triangle.", 0, 0.0f, 0.0f},
    {"wave2", "Osc 2 Wave", "Oscillators", "Oscillator 2 shape — saw, pulse or triangle.", 0, 0.0f, 0.0f},
    {"detune", "Detune", "Oscillators", "Pushes osc 2 off osc 1 — fatten, or open an interval.", 1, 0.0f,
     0.0f},
    {"cutoff", "Cutoff", "Filter", "Filter cutoff — how much top end passes.", 1, 0.0f, 0.0f},
    {"reso", "Resonance", "Filter", "Filter resonance — a peak at the cutoff, up to near self-oscillation.",
     1, 0.0f, 0.0f},
    {"mode", "Filter Mode", "Filter", "Filter type — low-pass, high-pass or band-pass.", 0, 0.0f, 0.0f},
    {"env_amt", "Env → Cutoff", "Filter", "How far the amp envelope opens the cutoff on each hit.", 1, 0.0f,
     0.0f},
    {"pitch_env", "Pitch Env", "Oscillators", "A pitch blip or drop at the onset, in semitones.", 1, 0.0f,
     0.0f},
    {"attack", "Attack", "Envelope", "How fast the amp fades in.", 1, 0.0f, 0.0f},
    {"decay", "Decay", "Envelope", "How fast the amp fades out.", 1, 0.0f, 0.0f},
    {"level", "Level", "Output", "The voice's overall output level.", 1, 0.0f, 0.0f},
};

const ParamDescriptor kGranularDescriptors[12] = {
    {"slot", "Sample", "Grains", "Which sample from the pool the grains read from.", 0, 0.0f, 0.0f},
    {"size", "Grain Size", "Grains", "Length of each grain — short clouds to long smears.", 1, 0.06f, 0.15f},
    {"density", "Density", "Grains", "How many grains fire per second, sparse to thick.", 1, 0.0f, 0.0f},
    {"position", "Position", "Grains", "Where in the sample the grains read from.", 1, 0.05f, 0.0f},
    {"spray", "Spray", "Grains", "Random scatter around the read position, to loosen the cloud.", 1, 0.0f,
     0.0f},
    {"tune", "Tune", "Pitch", "Grain pitch, in semitones; the note adds more.", 1, 0.04f, 0.0f},
    {"attack", "Attack", "Envelope", "How fast the overall amp fades in.", 1, 0.0f, 0.0f},
    {"decay", "Decay", "Envelope", "How fast the overall amp fades out.", 1, 0.0f, 0.0f},
    {"level", "Level", "Output", "The voice's overall output level.", 1, 0.0f, 0.0f},
    {"spread", "Pitch Spread", "Grains", "Random per-grain pitch spread, for a chorused thickness.", 1, 0.0f,
     0.0f},
    {"normalize", "Normalize", "Grains", "Scale the source up to full level automatically.", 0, 0.0f, 0.0f},
    {"gain", "Gain", "Output", "Manual level trim, in dB.", 1, 0.0f, 0.0f},
};

const ParamDescriptor kCommonDescriptors[22] = {
    {"ts_attack", "Transient Attack", "Transient", "Emphasise or soften the initial attack of every hit.", 1,
     0.0f, 0.0f},
    {"ts_sustain", "Transient Sustain", "Transient", "Bring up or duck the tail after the attack.", 1, 0.0f,
     0.0f},
    {"flt_cutoff", "Filter Cutoff", "Filter", "Post-voice filter cutoff — how much top end passes.", 1, 0.0f,
     0.0f},
    {"flt_reso", "Filter Resonance", "Filter", "A resonant peak at the filter cutoff.", 1, 0.0f, 0.0f},
    {"flt_type", "Filter Mode", "Filter", "Post-voice filter type — low-, high- or band-pass.", 0, 0.0f,
     0.0f},
    {"amp_attack", "Amp Attack", "Amp Envelope", "Post-voice amp fade-in time.", 1, 0.0f, 0.0f},
    {"amp_hold", "Amp Hold", "Amp Envelope", "How long the amp holds before it decays.", 1, 0.0f, 0.0f},
    {"amp_decay", "Amp Decay", "Amp Envelope", "Post-voice amp fade-out time.", 1, 0.0f, 0.0f},
    {"fx_drive", "Drive", "Drive & Crush", "Overdrive the voice, clean to dirty.", 1, 0.0f, 0.0f},
    {"fx_shape", "Drive Shape", "Drive & Crush", "The drive curve — cubic, tanh or fold.", 0, 0.0f, 0.0f},
    {"fx_crush", "Bit Crush", "Drive & Crush", "Reduce bit depth for a lo-fi grain.", 1, 0.0f, 0.0f},
    {"fx_srr", "Rate Reduce", "Drive & Crush", "Reduce the sample rate for a gritty edge.", 1, 0.0f, 0.0f},
    {"flt2_cutoff", "Filter 2 Cutoff", "Filter 2", "A second post-voice filter's cutoff.", 1, 0.0f, 0.0f},
    {"flt2_reso", "Filter 2 Resonance", "Filter 2", "A resonant peak at the second filter's cutoff.", 1, 0.0f,
     0.0f},
    {"flt2_type", "Filter 2 Mode", "Filter 2", "The second filter's type — low-, high- or band-pass.", 0,
     0.0f, 0.0f},
    {"amp_sync", "Amp Tempo Sync", "Amp Envelope",
     "Take the amp attack/decay from musical divisions instead of seconds.", 0, 0.0f, 0.0f},
    {"amp_atk_div", "Amp Attack Division", "Amp Envelope",
     "Tempo-synced attack length, as a musical division.", 0, 0.0f, 0.0f},
    {"amp_dec_div", "Amp Decay Division", "Amp Envelope", "Tempo-synced decay length, as a musical division.",
     0, 0.0f, 0.0f},
    {"space_size", "Room Size", "Space", "Size of the per-voice room, short to long.", 1, 0.0f, 0.0f},
    {"space_mix", "Room Mix", "Space", "How much room is blended in, dry to wet.", 1, 0.05f, 0.0f},
    {"voice_rev", "Reverse", "Playback",
     "Play the whole hit backwards, room included, so it swells into its transient.", 0, 0.0f, 0.0f},
    {"space_damp", "Room Damping", "Space", "How fast the room's top end fades.", 1, 0.0f, 0.0f},
};

const LegacyNote kLegacyNotes[17] = {
    {"slice",
     "Slice merged into Sample as the `window_mode` param. Re-create it as a Sample with window_mode = 1."},
    {"sine_kick", "SineKick is a Drum: res_type = SineBody, exc1_type = Click, bleed = 1."},
    {"wavetable_kick",
     "wavetable_kick was already an alias of sine_kick, which is now a Drum: res_type = SineBody, exc1_type "
     "= Click, bleed = 1."},
    {"punch_kick", "PunchKick is a Drum: res_type = SineBody with exc1_type = Knock plus exc2_type = Click."},
    {"distorted_kick",
     "DistortedKick is a Drum: res_type = SineBody, exc1_type = Click, dist_bias/dist_fold set and dist_pos "
     "= InRes."},
    {"layer_kick", "LayerKick is a Drum: res_type = SineBody with exc1_type = Knock plus exc2_type = Click."},
    {"snare", "Snare is a Drum: res_type = Shell, exc1_type = BpNoise, bleed = the old balance."},
    {"punch_snare",
     "PunchSnare is a Drum: res_type = Shell, exc1_type = BpNoise, plus a second BpNoise exciter around 7 "
     "kHz for the crack."},
    {"distorted_snare",
     "DistortedSnare is a Drum: res_type = Shell with BpNoise, dist_amt set and dist_pos = PostMix."},
    {"layer_snare", "LayerSnare is a Drum: res_type = Shell with BpNoise, plus exc2_type = Clap."},
    {"clap", "Clap is a Drum exciter: exc1_type = Clap, res_type = None."},
    {"noise_filter",
     "NoiseFilter is a Drum exciter: exc1_type = HpNoise (all factory uses were high-pass), res_type = "
     "None."},
    {"modal", "Modal is a Drum resonator: res_type = Modal."},
    {"cymbal", "Cymbal is a Drum resonator: res_type = Metal."},
    {"karplus",
     "Karplus is a Drum resonator: res_type = String. Note String is driven, so it needs an exciter and an "
     "opened bleed."},
    {"fm",
     "Fm is a Drum resonator: res_type = Fm. The self-feedback param (fm_fb) was dropped; it defaulted to 0 "
     "everywhere."},
    {"wavetable", "Wavetable is a Drum resonator: res_type = Wave."},
};

}  // namespace ob::param_data
