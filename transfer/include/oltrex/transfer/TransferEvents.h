#pragma once
// Everything a transfer reports while it runs. KeyRefresh writes these
// events into its transfer log (LogTransferEvents); FwFlasher shows them in its
// window. The texts of the transfer log are fixed by LogTransferEvents.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace oltrex {

enum class ProgressPoint {
    Start,  // the port is open, nothing sent yet (0 %)
    Block,  // a data block other than the last was acknowledged
    End,    // the reboot command was acknowledged (100 %)
};

class TransferEvents {
public:
    virtual ~TransferEvents() = default;

    // eStart, before the port is opened.
    virtual void starting(std::uint32_t imageLength) = 0;
    // A protocol line: "vor Open_ComPort()", "block sent", "Ackn received", ...
    virtual void message(std::string_view text) = 0;
    virtual void portOpened() = 0;
    virtual void portOpenFailed() = 0;
    virtual void progress(unsigned percent, ProgressPoint point) = 0;
    // The unstuffed frame about to go out.
    virtual void frameSending(const std::uint8_t* frame, std::size_t size) = 0;
    // The decoded answer frame (at most the answer buffer's bytes).
    virtual void answerReceived(const std::uint8_t* answer, std::size_t size) = 0;
    virtual void blockBuilt(std::size_t frameLength, std::uint32_t address, std::uint32_t crc) = 0;
    virtual void headerBuilt(const std::array<char, 4>& typeCode, std::size_t frameLength,
                             std::uint32_t address, std::uint32_t crc) = 0;
    // eError, eDone and a state the machine does not know.
    virtual void failed() = 0;
    virtual void done() = 0;
    virtual void unknownState() = 0;
};

// The text of the block lines, shared by every front end.
// "Block genereated: len=%d, adr=0x%08X, crc=0x%08X" (no line end)
void formatBlockLine(char* out, std::size_t outSize, std::size_t frameLength,
                     std::uint32_t address, std::uint32_t crc);
// "Header Block genereated: len=%d, adr=0x%08X, crc=0x%08X" (no line end)
void formatHeaderLine(char* out, std::size_t outSize, std::size_t frameLength,
                      std::uint32_t address, std::uint32_t crc);

}  // namespace oltrex
