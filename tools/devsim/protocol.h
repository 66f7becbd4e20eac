#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kovo::devsim {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Opens every frame in both directions.
inline constexpr std::uint8_t kStartByte = 0xFF;
// Byte 1 of an identification request and of its reply.
inline constexpr std::uint8_t kIdentifyCode = 0x01;
// An identification request is always FF 01 FF FE.
inline constexpr std::size_t kIdentifyRequestSize = 4;
// Byte 1 of every acknowledgement: command code and check follow.
inline constexpr std::uint8_t kAckLength = 0x02;

// Opens a programming session.
inline constexpr std::uint8_t kCmdProgrammingStart = 0x21;
// Opens a page.
inline constexpr std::uint8_t kCmdPageBegin = 0x09;
// Carries 16 bytes for address page * 256 + offset.
inline constexpr std::uint8_t kCmdPageData = 0x0A;
// First of the two commands that close a page.
inline constexpr std::uint8_t kCmdPageEnd1 = 0x07;
// Second of the two commands that close a page.
inline constexpr std::uint8_t kCmdPageEnd2 = 0x08;
// Closes the programming session.
inline constexpr std::uint8_t kCmdProgrammingEnd = 0x02;

// Length byte of frames carrying only command and check.
inline constexpr std::uint8_t kShortFrameLength = 0x02;
// Length byte of page-end frames: command, page, 00, check.
inline constexpr std::uint8_t kPageEndFrameLength = 0x04;
// Length byte of data frames: command, page, offset, 16 data bytes, check.
inline constexpr std::uint8_t kPageDataFrameLength = 0x14;
// Start byte and length byte, not counted by the length byte.
inline constexpr std::size_t kFrameOverhead = 2;

// Index of the length byte (or of kIdentifyCode) in a frame.
inline constexpr std::size_t kLengthIndex = 1;
// Index of the command code in a programming frame.
inline constexpr std::size_t kCommandIndex = 2;
// Index of the page number in page commands.
inline constexpr std::size_t kPageIndex = 3;
// Index of the offset within the page in data frames.
inline constexpr std::size_t kOffsetIndex = 4;
// Index of the first data byte in data frames.
inline constexpr std::size_t kDataIndex = 5;

// Data bytes carried by one data frame.
inline constexpr std::size_t kBlockSize = 16;
// Bytes per page; the page number is the address high byte.
inline constexpr std::size_t kPageSize = 256;
// The whole 16-bit address space.
inline constexpr std::size_t kMemorySize = 64 * 1024;
// Content of erased memory.
inline constexpr std::uint8_t kErasedByte = 0xFF;

// XOR of all bytes; a frame is intact when this is zero over everything after its start byte.
std::uint8_t xorOf(ByteView bytes);

// Total frame size announced by byte 1, or nothing if byte 1 cannot belong to a frame.
std::optional<std::size_t> frameSizeAnnouncedBy(std::uint8_t byte1);

// A complete frame as received, start byte included.
struct Frame {
  Bytes bytes;

  bool hasValidCheck() const;
  bool isIdentification() const;
  // kIdentifyCode for identification requests, otherwise the programming command.
  std::uint8_t code() const;
  // A known programming command with the length that command requires.
  bool isWellFormedCommand() const;
  // Page number of well-formed page commands (data and page end).
  std::optional<std::uint8_t> page() const;
  // Block within the page (offset / 16) of well-formed data frames.
  std::optional<std::uint8_t> block() const;
};

struct Identity {
  std::uint8_t type = 0x71;
  std::uint8_t versionMajor = 2;
  std::uint8_t versionMinor = 3;
};

// Reply bytes between start byte and check byte, and where the code answering the request sits.
struct ReplyBody {
  Bytes fields;
  std::size_t codeIndex = 0;
};

ReplyBody identificationReply(const Identity& identity);
ReplyBody acknowledgement(std::uint8_t command);
// Adds start byte and check byte.
Bytes sealReply(const ReplyBody& body);

} // namespace kovo::devsim
