// Serial-port operations of the run-time layer, ports by number.
#pragma once

// ComSetEscape codes.
constexpr int SETRTS = 3; // set Request To Send
constexpr int CLRDTR = 6; // clear Data Terminal Ready

// Errors, returned or reported by ReturnRS232Err.
constexpr int kRS_UnknownSysError = -1;
constexpr int kRS_InvalidPortNum = -2;
constexpr int kRS_PortNotOpen = -3;
constexpr int kRS_CannotOpenPort = -6;
constexpr int kRS_InvalidParameter = -7;
constexpr int kRS_IOErr = -8;
constexpr int kRS_TimeOutErr = -99;

// 0 on success; may be called for a port already open, which is set up afresh.
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits, int stopBits,
                  int inputQueueSize, int outputQueueSize);
int CloseCom(int port); // harmless when the port is not open
int FlushInQ(int port);
int FlushOutQ(int port);
int SetComTime(int port, double timeoutSeconds);
int ComSetEscape(int port, int code);
// Returns the number of bytes written, or a negative error.
int ComWrt(int port, const void* buffer, int count);
// Returns when count bytes came or the time-out ran out; the number read, or a
// negative error. A short read leaves kRS_TimeOutErr for ReturnRS232Err.
int ComRd(int port, void* buffer, int count);
int GetInQLen(int port); // bytes received and not yet read
// Which try of one exchange the next writes and reads on the port belong to,
// 1 for the first; the line's trace records it. Each opening starts at 1.
int SetComAttempt(int port, int attempt);
int ReturnRS232Err(); // status of the last serial call, 0 for none

// Serial ports to offer the user: virtual ports named in the environment first,
// then the ports found that can be opened now. label is the port's name, number
// what OpenComConfig takes.
constexpr int MAX_PORT_LABEL_LEN = 100; // terminating NUL included
struct SerialPortEntry {
  char label[MAX_PORT_LABEL_LEN];
  int number;
};
// Fills at most capacity entries; returns how many.
int ListSerialPorts(SerialPortEntry* entries, int capacity);
