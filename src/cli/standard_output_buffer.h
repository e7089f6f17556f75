#pragma once

#include <streambuf>
#include <vector>

namespace dorvanix::cli {

// The tool's standard output, written straight to its file descriptor through a buffer of its
// own. The first write that fails throws FileWriteError ("cannot write to standard output: No
// space left on device"), which a stream with badbit among its exceptions passes on: a listing
// then ends at a full disk or a broken device instead of running on unseen. On a terminal the
// stream is best set to flush after every output, so that lines show as they come.
class StandardOutputBuffer : public std::streambuf {
  public:
    explicit StandardOutputBuffer(int descriptor);

  protected:
    int_type overflow(int_type ch) override;
    int sync() override;
    // A batch larger than the room left goes out straight after what the buffer holds.
    std::streamsize xsputn(const char* text, std::streamsize count) override;

  private:
    void writeOut();
    void writeAll(const char* from, const char* end);

    int descriptor_;
    std::vector<char> data_;
};

}  // namespace dorvanix::cli
