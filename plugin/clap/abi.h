#pragma once
// The CLAP 1.2 C ABI as far as this plug-in uses it: layouts, ids and
// constants as published. Declared here because no CLAP headers are
// installed; tests/plugin/clap_abi_layout_test.cpp pins sizes and offsets.
#include <cstddef>
#include <cstdint>

extern "C" {

// ---- version -------------------------------------------------------------
struct clap_version_t {
  uint32_t major;
  uint32_t minor;
  uint32_t revision;
};
inline constexpr uint32_t CLAP_VERSION_MAJOR = 1;
inline constexpr uint32_t CLAP_VERSION_MINOR = 2;
inline constexpr uint32_t CLAP_VERSION_REVISION = 10;
inline constexpr clap_version_t CLAP_VERSION = {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR,
                                                CLAP_VERSION_REVISION};
// Every host of major version 1 or later speaks this ABI.
constexpr bool clap_version_is_compatible(clap_version_t v) { return v.major >= 1; }

typedef uint32_t clap_id;
inline constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;
inline constexpr uint32_t CLAP_NAME_SIZE = 256;
inline constexpr uint32_t CLAP_PATH_SIZE = 1024;

typedef int64_t clap_beattime;
typedef int64_t clap_sectime;
inline constexpr int64_t CLAP_BEATTIME_FACTOR = int64_t(1) << 31;
inline constexpr int64_t CLAP_SECTIME_FACTOR = int64_t(1) << 31;

// ---- events --------------------------------------------------------------
struct clap_event_header_t {
  uint32_t size;  // event size including this header
  uint32_t time;  // sample offset within the block
  uint16_t space_id;
  uint16_t type;
  uint32_t flags;
};
inline constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
enum : uint32_t { CLAP_EVENT_IS_LIVE = 1u << 0, CLAP_EVENT_DONT_RECORD = 1u << 1 };

enum : uint16_t {
  CLAP_EVENT_NOTE_ON = 0,
  CLAP_EVENT_NOTE_OFF = 1,
  CLAP_EVENT_NOTE_CHOKE = 2,
  CLAP_EVENT_NOTE_END = 3,
  CLAP_EVENT_NOTE_EXPRESSION = 4,
  CLAP_EVENT_PARAM_VALUE = 5,
  CLAP_EVENT_PARAM_MOD = 6,
  CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
  CLAP_EVENT_PARAM_GESTURE_END = 8,
  CLAP_EVENT_TRANSPORT = 9,
  CLAP_EVENT_MIDI = 10,
  CLAP_EVENT_MIDI_SYSEX = 11,
  CLAP_EVENT_MIDI2 = 12,
};

struct clap_event_note_t {
  clap_event_header_t header;
  int32_t note_id;  // -1 when unspecified
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double velocity;
};

enum : int32_t {
  CLAP_NOTE_EXPRESSION_VOLUME = 0,
  CLAP_NOTE_EXPRESSION_PAN = 1,  // 0 left, 0.5 centre, 1 right
  CLAP_NOTE_EXPRESSION_TUNING = 2,
  CLAP_NOTE_EXPRESSION_VIBRATO = 3,
  CLAP_NOTE_EXPRESSION_EXPRESSION = 4,
  CLAP_NOTE_EXPRESSION_BRIGHTNESS = 5,
  CLAP_NOTE_EXPRESSION_PRESSURE = 6,
};
typedef int32_t clap_note_expression;

struct clap_event_note_expression_t {
  clap_event_header_t header;
  clap_note_expression expression_id;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
};

struct clap_event_param_value_t {
  clap_event_header_t header;
  clap_id param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
};

struct clap_event_param_mod_t {
  clap_event_header_t header;
  clap_id param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double amount;
};

struct clap_event_param_gesture_t {
  clap_event_header_t header;
  clap_id param_id;
};

enum : uint32_t {
  CLAP_TRANSPORT_HAS_TEMPO = 1u << 0,
  CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 1u << 1,
  CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 1u << 2,
  CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 1u << 3,
  CLAP_TRANSPORT_IS_PLAYING = 1u << 4,
  CLAP_TRANSPORT_IS_RECORDING = 1u << 5,
  CLAP_TRANSPORT_IS_LOOP_ACTIVE = 1u << 6,
  CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 1u << 7,
};

struct clap_event_transport_t {
  clap_event_header_t header;
  uint32_t flags;
  clap_beattime song_pos_beats;
  clap_sectime song_pos_seconds;
  double tempo;
  double tempo_inc;
  clap_beattime loop_start_beats;
  clap_beattime loop_end_beats;
  clap_sectime loop_start_seconds;
  clap_sectime loop_end_seconds;
  clap_beattime bar_start;
  int32_t bar_number;
  uint16_t tsig_num;
  uint16_t tsig_denom;
};

struct clap_event_midi_t {
  clap_event_header_t header;
  uint16_t port_index;
  uint8_t data[3];
};

struct clap_event_midi_sysex_t {
  clap_event_header_t header;
  uint16_t port_index;
  const uint8_t* buffer;
  uint32_t size;
};

struct clap_event_midi2_t {
  clap_event_header_t header;
  uint16_t port_index;
  uint32_t data[4];
};

struct clap_input_events_t {
  void* ctx;
  uint32_t (*size)(const clap_input_events_t* list);
  const clap_event_header_t* (*get)(const clap_input_events_t* list, uint32_t index);
};

struct clap_output_events_t {
  void* ctx;
  bool (*try_push)(const clap_output_events_t* list, const clap_event_header_t* event);
};

// ---- audio and process ---------------------------------------------------
struct clap_audio_buffer_t {
  float** data32;
  double** data64;
  uint32_t channel_count;
  uint32_t latency;
  uint64_t constant_mask;
};

enum : int32_t {
  CLAP_PROCESS_ERROR = 0,
  CLAP_PROCESS_CONTINUE = 1,
  CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
  CLAP_PROCESS_TAIL = 3,
  CLAP_PROCESS_SLEEP = 4,
};
typedef int32_t clap_process_status;

struct clap_process_t {
  int64_t steady_time;
  uint32_t frames_count;
  const clap_event_transport_t* transport;
  const clap_audio_buffer_t* audio_inputs;
  clap_audio_buffer_t* audio_outputs;
  uint32_t audio_inputs_count;
  uint32_t audio_outputs_count;
  const clap_input_events_t* in_events;
  const clap_output_events_t* out_events;
};

// ---- host, plug-in, factory and entry -----------------------------------
struct clap_host_t {
  clap_version_t clap_version;
  void* host_data;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  const void* (*get_extension)(const clap_host_t* host, const char* extension_id);
  void (*request_restart)(const clap_host_t* host);
  void (*request_process)(const clap_host_t* host);
  void (*request_callback)(const clap_host_t* host);
};

struct clap_plugin_descriptor_t {
  clap_version_t clap_version;
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  const char* const* features;  // null-terminated
};

struct clap_plugin_t {
  const clap_plugin_descriptor_t* desc;
  void* plugin_data;
  bool (*init)(const clap_plugin_t* plugin);
  void (*destroy)(const clap_plugin_t* plugin);
  bool (*activate)(const clap_plugin_t* plugin, double sample_rate, uint32_t min_frames_count,
                   uint32_t max_frames_count);
  void (*deactivate)(const clap_plugin_t* plugin);
  bool (*start_processing)(const clap_plugin_t* plugin);
  void (*stop_processing)(const clap_plugin_t* plugin);
  void (*reset)(const clap_plugin_t* plugin);
  clap_process_status (*process)(const clap_plugin_t* plugin, const clap_process_t* process);
  const void* (*get_extension)(const clap_plugin_t* plugin, const char* id);
  void (*on_main_thread)(const clap_plugin_t* plugin);
};

inline constexpr char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";
struct clap_plugin_factory_t {
  uint32_t (*get_plugin_count)(const clap_plugin_factory_t* factory);
  const clap_plugin_descriptor_t* (*get_plugin_descriptor)(const clap_plugin_factory_t* factory,
                                                           uint32_t index);
  const clap_plugin_t* (*create_plugin)(const clap_plugin_factory_t* factory, const clap_host_t* host,
                                        const char* plugin_id);
};

struct clap_plugin_entry_t {
  clap_version_t clap_version;
  bool (*init)(const char* plugin_path);
  void (*deinit)(void);
  const void* (*get_factory)(const char* factory_id);
};

// ---- streams -------------------------------------------------------------
struct clap_istream_t {
  void* ctx;
  int64_t (*read)(const clap_istream_t* stream, void* buffer, uint64_t size);
};
struct clap_ostream_t {
  void* ctx;
  int64_t (*write)(const clap_ostream_t* stream, const void* buffer, uint64_t size);
};

// ---- extension: params ---------------------------------------------------
inline constexpr char CLAP_EXT_PARAMS[] = "clap.params";
enum : uint32_t {
  CLAP_PARAM_IS_STEPPED = 1u << 0,
  CLAP_PARAM_IS_PERIODIC = 1u << 1,
  CLAP_PARAM_IS_HIDDEN = 1u << 2,
  CLAP_PARAM_IS_READONLY = 1u << 3,
  CLAP_PARAM_IS_BYPASS = 1u << 4,
  CLAP_PARAM_IS_AUTOMATABLE = 1u << 5,
  CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 1u << 6,
  CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 1u << 7,
  CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 1u << 8,
  CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 1u << 9,
  CLAP_PARAM_IS_MODULATABLE = 1u << 10,
  CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 1u << 11,
  CLAP_PARAM_IS_MODULATABLE_PER_KEY = 1u << 12,
  CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 1u << 13,
  CLAP_PARAM_IS_MODULATABLE_PER_PORT = 1u << 14,
  CLAP_PARAM_REQUIRES_PROCESS = 1u << 15,
  CLAP_PARAM_IS_ENUM = 1u << 16,
};
typedef uint32_t clap_param_info_flags;

struct clap_param_info_t {
  clap_id id;
  clap_param_info_flags flags;
  void* cookie;
  char name[CLAP_NAME_SIZE];
  char module[CLAP_PATH_SIZE];
  double min_value;
  double max_value;
  double default_value;
};

struct clap_plugin_params_t {
  uint32_t (*count)(const clap_plugin_t* plugin);
  bool (*get_info)(const clap_plugin_t* plugin, uint32_t param_index, clap_param_info_t* param_info);
  bool (*get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
  bool (*value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value, char* out_buffer,
                        uint32_t out_buffer_capacity);
  bool (*text_to_value)(const clap_plugin_t* plugin, clap_id param_id, const char* param_value_text,
                        double* out_value);
  void (*flush)(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out);
};

enum : uint32_t {
  CLAP_PARAM_RESCAN_VALUES = 1u << 0,
  CLAP_PARAM_RESCAN_TEXT = 1u << 1,
  CLAP_PARAM_RESCAN_INFO = 1u << 2,
  CLAP_PARAM_RESCAN_ALL = 1u << 3,
};
enum : uint32_t {
  CLAP_PARAM_CLEAR_ALL = 1u << 0,
  CLAP_PARAM_CLEAR_AUTOMATIONS = 1u << 1,
  CLAP_PARAM_CLEAR_MODULATIONS = 1u << 2,
};
struct clap_host_params_t {
  void (*rescan)(const clap_host_t* host, uint32_t flags);
  void (*clear)(const clap_host_t* host, clap_id param_id, uint32_t flags);
  void (*request_flush)(const clap_host_t* host);
};

// ---- extension: state ----------------------------------------------------
inline constexpr char CLAP_EXT_STATE[] = "clap.state";
struct clap_plugin_state_t {
  bool (*save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
  bool (*load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
};
struct clap_host_state_t {
  void (*mark_dirty)(const clap_host_t* host);
};

// ---- extension: audio ports ---------------------------------------------
inline constexpr char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
inline constexpr char CLAP_PORT_MONO[] = "mono";
inline constexpr char CLAP_PORT_STEREO[] = "stereo";
enum : uint32_t {
  CLAP_AUDIO_PORT_IS_MAIN = 1u << 0,
  CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1u << 1,
  CLAP_AUDIO_PORT_PREFERS_64BITS = 1u << 2,
  CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1u << 3,
};
struct clap_audio_port_info_t {
  clap_id id;
  char name[CLAP_NAME_SIZE];
  uint32_t flags;
  uint32_t channel_count;
  const char* port_type;
  clap_id in_place_pair;
};
struct clap_plugin_audio_ports_t {
  uint32_t (*count)(const clap_plugin_t* plugin, bool is_input);
  bool (*get)(const clap_plugin_t* plugin, uint32_t index, bool is_input, clap_audio_port_info_t* info);
};
enum : uint32_t {
  CLAP_AUDIO_PORTS_RESCAN_NAMES = 1u << 0,
  CLAP_AUDIO_PORTS_RESCAN_FLAGS = 1u << 1,
  CLAP_AUDIO_PORTS_RESCAN_CHANNEL_COUNT = 1u << 2,
  CLAP_AUDIO_PORTS_RESCAN_PORT_TYPE = 1u << 3,
  CLAP_AUDIO_PORTS_RESCAN_IN_PLACE_PAIR = 1u << 4,
  CLAP_AUDIO_PORTS_RESCAN_LIST = 1u << 5,
};
struct clap_host_audio_ports_t {
  bool (*is_rescan_flag_supported)(const clap_host_t* host, uint32_t flag);
  void (*rescan)(const clap_host_t* host, uint32_t flags);
};

// ---- extension: note ports ----------------------------------------------
inline constexpr char CLAP_EXT_NOTE_PORTS[] = "clap.note-ports";
enum : uint32_t {
  CLAP_NOTE_DIALECT_CLAP = 1u << 0,
  CLAP_NOTE_DIALECT_MIDI = 1u << 1,
  CLAP_NOTE_DIALECT_MIDI_MPE = 1u << 2,
  CLAP_NOTE_DIALECT_MIDI2 = 1u << 3,
};
struct clap_note_port_info_t {
  clap_id id;
  uint32_t supported_dialects;
  uint32_t preferred_dialect;
  char name[CLAP_NAME_SIZE];
};
struct clap_plugin_note_ports_t {
  uint32_t (*count)(const clap_plugin_t* plugin, bool is_input);
  bool (*get)(const clap_plugin_t* plugin, uint32_t index, bool is_input, clap_note_port_info_t* info);
};

// ---- extension: timer support -------------------------------------------
inline constexpr char CLAP_EXT_TIMER_SUPPORT[] = "clap.timer-support";
struct clap_plugin_timer_support_t {
  void (*on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
};
struct clap_host_timer_support_t {
  bool (*register_timer)(const clap_host_t* host, uint32_t period_ms, clap_id* timer_id);
  bool (*unregister_timer)(const clap_host_t* host, clap_id timer_id);
};

// ---- extension: log ------------------------------------------------------
inline constexpr char CLAP_EXT_LOG[] = "clap.log";
enum : int32_t {
  CLAP_LOG_DEBUG = 0,
  CLAP_LOG_INFO = 1,
  CLAP_LOG_WARNING = 2,
  CLAP_LOG_ERROR = 3,
  CLAP_LOG_FATAL = 4,
  CLAP_LOG_HOST_MISBEHAVING = 5,
  CLAP_LOG_PLUGIN_MISBEHAVING = 6,
};
typedef int32_t clap_log_severity;
struct clap_host_log_t {
  void (*log)(const clap_host_t* host, clap_log_severity severity, const char* msg);
};

// ---- extension: event registry ------------------------------------------
inline constexpr char CLAP_EXT_EVENT_REGISTRY[] = "clap.event-registry";
struct clap_host_event_registry_t {
  bool (*query)(const clap_host_t* host, const char* space_name, uint16_t* space_id);
};

// ---- extension: POSIX file descriptors ----------------------------------
inline constexpr char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";
enum : uint32_t {
  CLAP_POSIX_FD_READ = 1u << 0,
  CLAP_POSIX_FD_WRITE = 1u << 1,
  CLAP_POSIX_FD_ERROR = 1u << 2,
};
typedef uint32_t clap_posix_fd_flags_t;
struct clap_plugin_posix_fd_support_t {
  void (*on_fd)(const clap_plugin_t* plugin, int fd, clap_posix_fd_flags_t flags);
};
struct clap_host_posix_fd_support_t {
  bool (*register_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
  bool (*modify_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
  bool (*unregister_fd)(const clap_host_t* host, int fd);
};

// ---- extension: gui ------------------------------------------------------
inline constexpr char CLAP_EXT_GUI[] = "clap.gui";
inline constexpr char CLAP_WINDOW_API_WIN32[] = "win32";
inline constexpr char CLAP_WINDOW_API_COCOA[] = "cocoa";
inline constexpr char CLAP_WINDOW_API_X11[] = "x11";
inline constexpr char CLAP_WINDOW_API_WAYLAND[] = "wayland";
typedef void* clap_hwnd;
typedef void* clap_nsview;
typedef unsigned long clap_xwnd;
struct clap_window_t {
  const char* api;
  union {
    clap_nsview cocoa;
    clap_xwnd x11;
    clap_hwnd win32;
    void* ptr;
  };
};
struct clap_gui_resize_hints_t {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio;
  uint32_t aspect_ratio_width;
  uint32_t aspect_ratio_height;
};
struct clap_plugin_gui_t {
  bool (*is_api_supported)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  bool (*get_preferred_api)(const clap_plugin_t* plugin, const char** api, bool* is_floating);
  bool (*create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  void (*destroy)(const clap_plugin_t* plugin);
  bool (*set_scale)(const clap_plugin_t* plugin, double scale);
  bool (*get_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
  bool (*can_resize)(const clap_plugin_t* plugin);
  bool (*get_resize_hints)(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints);
  bool (*adjust_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
  bool (*set_size)(const clap_plugin_t* plugin, uint32_t width, uint32_t height);
  bool (*set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
  bool (*set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
  void (*suggest_title)(const clap_plugin_t* plugin, const char* title);
  bool (*show)(const clap_plugin_t* plugin);
  bool (*hide)(const clap_plugin_t* plugin);
};
struct clap_host_gui_t {
  void (*resize_hints_changed)(const clap_host_t* host);
  bool (*request_resize)(const clap_host_t* host, uint32_t width, uint32_t height);
  bool (*request_show)(const clap_host_t* host);
  bool (*request_hide)(const clap_host_t* host);
  void (*closed)(const clap_host_t* host, bool was_destroyed);
};

}  // extern "C"
