#pragma once
// Content decoders for the transfer encodings of message parts: each takes
// encoded text a piece at a time (a line, or for binhex the collected text)
// and writes the decoded bytes to an output stream.
#include <memory>
#include <string>

#include "platform/Stream.h"

namespace pellumo {

class TTransferDecoder {
public:
    virtual ~TTransferDecoder() = default;
    // Decodes one piece of encoded text and writes the bytes to Dest.
    virtual void Decode(const std::string& text, TStream& dest) = 0;
    // At the end of the part: writes whatever was held back (nothing for most).
    virtual void Finish(TStream& dest) { (void)dest; }
};

// Quoted-printable: fed each line followed by CR LF.
class TQuotedPrintableDecoder : public TTransferDecoder {
public:
    void Decode(const std::string& text, TStream& dest) override;
};

// Base64: fed each non-empty line by itself.
class TBase64Decoder : public TTransferDecoder {
public:
    void Decode(const std::string& text, TStream& dest) override;
};

// Uuencode and xxencode: fed each data line; its first character gives the byte count.
class TUuDecoder : public TTransferDecoder {
public:
    void Decode(const std::string& text, TStream& dest) override;
};
class TXxDecoder : public TTransferDecoder {
public:
    void Decode(const std::string& text, TStream& dest) override;
};

// BinHex 4.0: collects text, decodes the data fork at Finish (or as it goes).
class TBinHexDecoder : public TTransferDecoder {
public:
    TBinHexDecoder();
    ~TBinHexDecoder() override;
    void Decode(const std::string& text, TStream& dest) override;
    void Finish(TStream& dest) override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The decoder for a transfer encoding (case-insensitive): "base64",
// "quoted-printable" or "binhex40"; null for any other (no decoding).
std::unique_ptr<TTransferDecoder> CreateContentDecoder(const std::string& transferEncoding);

}  // namespace pellumo
