#include "protocol.h"

#include <algorithm>

namespace kovo::devsim {

namespace {

std::optional<std::uint8_t> lengthRequiredBy(std::uint8_t command) {
  switch (command) {
  case kCmdProgrammingStart:
  case kCmdPageBegin:
  case kCmdProgrammingEnd: return kShortFrameLength;
  case kCmdPageEnd1:
  case kCmdPageEnd2: return kPageEndFrameLength;
  case kCmdPageData: return kPageDataFrameLength;
  default: return std::nullopt;
  }
}

bool carriesPage(std::uint8_t command) {
  return command == kCmdPageData || command == kCmdPageEnd1 || command == kCmdPageEnd2;
}

} // namespace

std::uint8_t xorOf(ByteView bytes) {
  std::uint8_t result = 0;
  for (const std::uint8_t byte : bytes) result ^= byte;
  return result;
}

std::optional<std::size_t> frameSizeAnnouncedBy(std::uint8_t byte1) {
  if (byte1 == kIdentifyCode) return kIdentifyRequestSize;
  // Nothing the device understands is shorter than a short frame or longer than a data frame.
  if (byte1 < kShortFrameLength || byte1 > kPageDataFrameLength) return std::nullopt;
  return byte1 + kFrameOverhead;
}

bool Frame::hasValidCheck() const { return xorOf(ByteView(bytes).subspan(kLengthIndex)) == 0; }

bool Frame::isIdentification() const { return bytes[kLengthIndex] == kIdentifyCode; }

std::uint8_t Frame::code() const { return isIdentification() ? kIdentifyCode : bytes[kCommandIndex]; }

bool Frame::isWellFormedCommand() const {
  return !isIdentification() && lengthRequiredBy(code()) == bytes[kLengthIndex];
}

std::optional<std::uint8_t> Frame::page() const {
  if (!isWellFormedCommand() || !carriesPage(code())) return std::nullopt;
  return bytes[kPageIndex];
}

std::optional<std::uint8_t> Frame::block() const {
  if (!isWellFormedCommand() || code() != kCmdPageData) return std::nullopt;
  return static_cast<std::uint8_t>(bytes[kOffsetIndex] / kBlockSize);
}

ReplyBody identificationReply(const Identity& identity) {
  return {{kIdentifyCode, identity.type, identity.versionMajor, identity.versionMinor}, 0};
}

ReplyBody acknowledgement(std::uint8_t command) { return {{kAckLength, command}, 1}; }

Bytes sealReply(const ReplyBody& body) {
  Bytes reply(body.fields.size() + kFrameOverhead);
  reply.front() = kStartByte;
  std::copy(body.fields.begin(), body.fields.end(), reply.begin() + 1);
  reply.back() = xorOf(body.fields);
  return reply;
}

} // namespace kovo::devsim
