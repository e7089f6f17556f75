#include "cli/standard_output_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "files/atomic_file.h"

namespace dorvanix::cli {

StandardOutputBuffer::StandardOutputBuffer(int descriptor)
    : descriptor_(descriptor), data_(std::size_t{1} << 16) {
    setp(data_.data(), data_.data() + data_.size());
}

void StandardOutputBuffer::writeOut() {
    const char* from = pbase();
    const char* end = pptr();
    // Whatever happens, the buffer is empty afterwards: what could not be written is lost with
    // the error that is reported.
    setp(data_.data(), data_.data() + data_.size());
    while (from < end) {
        const ssize_t written = ::write(descriptor_, from, static_cast<std::size_t>(end - from));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            throw FileWriteError(
                "cannot write to standard output: " + std::string(std::strerror(error)), error);
        }
        from += written;
    }
}

StandardOutputBuffer::int_type StandardOutputBuffer::overflow(int_type ch) {
    writeOut();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int StandardOutputBuffer::sync() {
    writeOut();
    return 0;
}

}  // namespace dorvanix::cli
