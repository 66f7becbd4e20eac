// What the command-line program itself says, in the user's language. The
// texts of the operations (messages, device names) come from the system.
#pragma once

#include "options.h"

namespace cli {

// UTF-8; %1, %2 are filled in with format (text.h).
struct Texts {
  const char* port;            // %1 label
  const char* port_not_listed; // %1 what --port named
  const char* no_ports;
  const char* switch_on;
  const char* waiting; // %1 attempt, %2 last attempt
  const char* port_failed;
  const char* port_in_use;    // %1 label
  const char* port_forbidden; // %1 label
  const char* join_dialout;   // how a Linux user gets serial ports
  const char* not_serial;     // %1 label
  const char* port_lost;      // %1 label
  const char* no_device;
  const char* device; // %1 type, %2 bootloader version
  const char* unknown_type;
  const char* unsupported;
  const char* file_unreadable; // %1 path
  const char* file_loaded;     // %1 path
  const char* file_faulty;
  const char* data_beyond;   // %1 first address not programmed (hex), %2 KiB programmed
  const char* no_data;       // %1 KiB programmed
  const char* no_end_record; // the file may be cut short
  const char* time_left;     // %1 m:ss
  const char* programmed;
  const char* programming_failed;
  const char* interrupted;
  const char* virtual_port;
  const char* link_adapter; // marks the adapter's USB bridge in the port list
  const char* no_links;
  const char* several_links;    // %1 how many
  const char* name_a_port;      // before the port list, when no port can be taken unasked
  const char* trace_unwritable; // %1 path
  const char* yes;
  const char* no;
  const char* none;
  const char* check_loads;   // %1 yes or no
  const char* check_highest; // %1 address (0x hex) or none
  const char* check_bytes;   // %1 count
  const char* check_fits;    // %1 KiB, %2 yes or no
  const char* check_crc;     // %1 KiB, %2 CRC-32 (0x hex)
  const char* summary_port;
  const char* summary_device;
  const char* summary_result;
  const char* summary_seconds;
  const char* ports_failed;          // %1 failed, %2 all
  const char* no_result;             // a port whose run ended without saying how
  const char* settings_unreadable;   // %1 path
  const char* trace_is_firmware;     // %1 path
  const char* trace_is_settings;     // %1 path
  const char* trace_not_regular;     // %1 path
  const char* trace_incomplete;      // %1 path
  const char* no_data_refused;       // %1 KiB every updatable device receives
  const char* interrupted_unchanged; // stopped before anything was written
  const char* time_taken;            // %1 result, %2 seconds
  const char* decimal_point;
  const char* help;              // %1 program, %2 settings folder
  const char* usage_try;         // %1 program
  const char* usage_unknown;     // %1 options
  const char* usage_needs_value; // %1 option
  const char* usage_no_value;    // %1 option
  const char* usage_language;
  const char* usage_one_file;
  const char* usage_list_ports_alone;
  const char* usage_check_alone;
  const char* usage_workshop_child;
  const char* usage_same_port; // %1, %2 the ports as given
  const char* usage_time_scale;
};

const Texts& texts_for(Language language);

} // namespace cli
