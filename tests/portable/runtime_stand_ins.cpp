// The run-time operations that the util module's serial and settings code
// calls. The tests linked with these never reach one, so each stops the run
// when called.
#include "rs232.h"
#include "userint.h"
#include "utility.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void not_for_unit_tests(const char* call) {
  std::fprintf(stderr, "portable_tests: a unit test reached the run-time's %s\n", call);
  std::abort();
}

} // namespace

int SetCtrlVal(int, int, int) { not_for_unit_tests("SetCtrlVal"); }
int GetCtrlVal(int, int, int*) { not_for_unit_tests("GetCtrlVal"); }
int ClearListCtrl(int, int) { not_for_unit_tests("ClearListCtrl"); }
int InsertListItem(int, int, int, const char*, int) { not_for_unit_tests("InsertListItem"); }
int MessagePopup(const char*, const char*) { not_for_unit_tests("MessagePopup"); }

std::FILE* OpenRegularFile(const char*, long long) { not_for_unit_tests("OpenRegularFile"); }
int FileExists(const char*) { not_for_unit_tests("FileExists"); }
int ReplaceTextFile(const char*, const char*, std::size_t) { not_for_unit_tests("ReplaceTextFile"); }

int OpenComConfig(int, const char*, long, int, int, int, int, int) { not_for_unit_tests("OpenComConfig"); }
int FlushInQ(int) { not_for_unit_tests("FlushInQ"); }
int FlushOutQ(int) { not_for_unit_tests("FlushOutQ"); }
int SetComTime(int, double) { not_for_unit_tests("SetComTime"); }
int ComSetEscape(int, int) { not_for_unit_tests("ComSetEscape"); }
int ComWrt(int, const void*, int) { not_for_unit_tests("ComWrt"); }
int ComRd(int, void*, int) { not_for_unit_tests("ComRd"); }
int SetComAttempt(int, int) { not_for_unit_tests("SetComAttempt"); }
int ReturnRS232Err() { not_for_unit_tests("ReturnRS232Err"); }
int ListSerialPorts(SerialPortEntry*, int) { not_for_unit_tests("ListSerialPorts"); }
