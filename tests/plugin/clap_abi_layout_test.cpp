// Pins the CLAP structures to their published x86-64 layouts: a host
// built against the real headers must see the same bytes.
#include "plugin/clap/abi.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#define OB_AT(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)

static_assert(sizeof(clap_version_t) == 12);
static_assert(sizeof(clap_plugin_entry_t) == 40);
OB_AT(clap_plugin_entry_t, init, 16);
OB_AT(clap_plugin_entry_t, get_factory, 32);

static_assert(sizeof(clap_plugin_descriptor_t) == 88);
OB_AT(clap_plugin_descriptor_t, id, 16);
OB_AT(clap_plugin_descriptor_t, description, 72);
OB_AT(clap_plugin_descriptor_t, features, 80);

static_assert(sizeof(clap_plugin_factory_t) == 24);
static_assert(sizeof(clap_plugin_t) == 96);
OB_AT(clap_plugin_t, init, 16);
OB_AT(clap_plugin_t, process, 72);
OB_AT(clap_plugin_t, on_main_thread, 88);

static_assert(sizeof(clap_host_t) == 88);
OB_AT(clap_host_t, host_data, 16);
OB_AT(clap_host_t, get_extension, 56);
OB_AT(clap_host_t, request_callback, 80);

static_assert(sizeof(clap_process_t) == 64);
OB_AT(clap_process_t, frames_count, 8);
OB_AT(clap_process_t, transport, 16);
OB_AT(clap_process_t, audio_outputs, 32);
OB_AT(clap_process_t, audio_inputs_count, 40);
OB_AT(clap_process_t, audio_outputs_count, 44);
OB_AT(clap_process_t, in_events, 48);
OB_AT(clap_process_t, out_events, 56);

static_assert(sizeof(clap_audio_buffer_t) == 32);
OB_AT(clap_audio_buffer_t, channel_count, 16);
OB_AT(clap_audio_buffer_t, constant_mask, 24);

static_assert(sizeof(clap_event_header_t) == 16);
OB_AT(clap_event_header_t, space_id, 8);
OB_AT(clap_event_header_t, type, 10);
OB_AT(clap_event_header_t, flags, 12);

static_assert(sizeof(clap_event_note_t) == 40);
OB_AT(clap_event_note_t, note_id, 16);
OB_AT(clap_event_note_t, port_index, 20);
OB_AT(clap_event_note_t, channel, 22);
OB_AT(clap_event_note_t, key, 24);
OB_AT(clap_event_note_t, velocity, 32);

static_assert(sizeof(clap_event_note_expression_t) == 40);
OB_AT(clap_event_note_expression_t, note_id, 20);
OB_AT(clap_event_note_expression_t, key, 28);
OB_AT(clap_event_note_expression_t, value, 32);

static_assert(sizeof(clap_event_param_value_t) == 56);
OB_AT(clap_event_param_value_t, param_id, 16);
OB_AT(clap_event_param_value_t, cookie, 24);
OB_AT(clap_event_param_value_t, note_id, 32);
OB_AT(clap_event_param_value_t, key, 40);
OB_AT(clap_event_param_value_t, value, 48);
static_assert(sizeof(clap_event_param_mod_t) == 56);
static_assert(sizeof(clap_event_param_gesture_t) == 20);

static_assert(sizeof(clap_event_transport_t) == 104);
OB_AT(clap_event_transport_t, flags, 16);
OB_AT(clap_event_transport_t, song_pos_beats, 24);
OB_AT(clap_event_transport_t, song_pos_seconds, 32);
OB_AT(clap_event_transport_t, tempo, 40);
OB_AT(clap_event_transport_t, loop_start_beats, 56);
OB_AT(clap_event_transport_t, bar_start, 88);
OB_AT(clap_event_transport_t, bar_number, 96);
OB_AT(clap_event_transport_t, tsig_num, 100);
OB_AT(clap_event_transport_t, tsig_denom, 102);

static_assert(sizeof(clap_event_midi_t) == 24);
OB_AT(clap_event_midi_t, data, 18);
static_assert(sizeof(clap_event_midi_sysex_t) == 40);
OB_AT(clap_event_midi_sysex_t, buffer, 24);
static_assert(sizeof(clap_event_midi2_t) == 36);
OB_AT(clap_event_midi2_t, data, 20);

static_assert(sizeof(clap_input_events_t) == 24);
static_assert(sizeof(clap_output_events_t) == 16);
static_assert(sizeof(clap_istream_t) == 16);
static_assert(sizeof(clap_ostream_t) == 16);

static_assert(sizeof(clap_param_info_t) == 1320);
OB_AT(clap_param_info_t, cookie, 8);
OB_AT(clap_param_info_t, name, 16);
OB_AT(clap_param_info_t, module, 272);
OB_AT(clap_param_info_t, min_value, 1296);
OB_AT(clap_param_info_t, default_value, 1312);
static_assert(sizeof(clap_plugin_params_t) == 48);
static_assert(sizeof(clap_host_params_t) == 24);

static_assert(sizeof(clap_audio_port_info_t) == 288);
OB_AT(clap_audio_port_info_t, name, 4);
OB_AT(clap_audio_port_info_t, flags, 260);
OB_AT(clap_audio_port_info_t, channel_count, 264);
OB_AT(clap_audio_port_info_t, port_type, 272);
OB_AT(clap_audio_port_info_t, in_place_pair, 280);

static_assert(sizeof(clap_host_audio_ports_t) == 16);
OB_AT(clap_host_audio_ports_t, rescan, 8);

static_assert(sizeof(clap_note_port_info_t) == 268);
OB_AT(clap_note_port_info_t, name, 12);
#undef OB_AT

static_assert(sizeof(clap_window_t) == 16);
static_assert(sizeof(clap_gui_resize_hints_t) == 12);
static_assert(sizeof(clap_plugin_gui_t) == 15 * sizeof(void*));
static_assert(sizeof(clap_host_gui_t) == 5 * sizeof(void*));
static_assert(sizeof(clap_host_timer_support_t) == 16);
static_assert(sizeof(clap_host_posix_fd_support_t) == 24);

TEST(ClapAbi, IdsAndConstantsAreThePublishedOnes) {
  EXPECT_STREQ(CLAP_PLUGIN_FACTORY_ID, "clap.plugin-factory");
  EXPECT_STREQ(CLAP_EXT_PARAMS, "clap.params");
  EXPECT_STREQ(CLAP_EXT_STATE, "clap.state");
  EXPECT_STREQ(CLAP_EXT_AUDIO_PORTS, "clap.audio-ports");
  EXPECT_STREQ(CLAP_EXT_NOTE_PORTS, "clap.note-ports");
  EXPECT_STREQ(CLAP_EXT_TIMER_SUPPORT, "clap.timer-support");
  EXPECT_STREQ(CLAP_EXT_GUI, "clap.gui");
  EXPECT_STREQ(CLAP_EXT_LOG, "clap.log");
  EXPECT_STREQ(CLAP_EXT_EVENT_REGISTRY, "clap.event-registry");
  EXPECT_STREQ(CLAP_EXT_POSIX_FD_SUPPORT, "clap.posix-fd-support");
  EXPECT_EQ(CLAP_EVENT_NOTE_END, 3);
  EXPECT_EQ(CLAP_AUDIO_PORTS_RESCAN_NAMES, 1u);
  EXPECT_EQ(CLAP_AUDIO_PORTS_RESCAN_LIST, 32u);
  EXPECT_EQ(CLAP_EVENT_MIDI2, 12);
  EXPECT_EQ(CLAP_BEATTIME_FACTOR, int64_t(1) << 31);
  EXPECT_TRUE(clap_version_is_compatible(CLAP_VERSION));
  EXPECT_FALSE(clap_version_is_compatible({0, 9, 0}));
}
