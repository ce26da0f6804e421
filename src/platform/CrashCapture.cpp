#include "platform/CrashCapture.h"

#include "platform/CrashRecord.h"
#include "platform/UUID.h"
#include "platform/Unicode.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace pellamor::CrashCapture {
namespace {

constexpr int capturedSignals[] = { SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP };
constexpr std::size_t signalCount = std::size(capturedSignals);

// Everything the handler touches is ready before it runs: no allocation, no lock, only system calls.
struct State {
    bool installed = false;
    char partialPath[4096] {};
    char recordPath[4096] {};
    char modules[CrashRecord::maximumBytes / 2] {};
    std::size_t modulesLength = 0;
    char record[CrashRecord::maximumBytes] {};
    std::size_t recordLength = 0;
    struct sigaction previous[signalCount] {};
    std::terminate_handler previousTerminate = nullptr;
    alignas(16) char alternateStack[64 * 1024] {};
};

State state;
std::atomic<bool> recorded { false };

void append(const char* text, std::size_t length)
{
    std::size_t room = sizeof state.record - state.recordLength;
    std::size_t count = length < room ? length : room;
    std::memcpy(state.record + state.recordLength, text, count);
    state.recordLength += count;
}

void append(const char* text)
{
    append(text, std::strlen(text));
}

void appendDecimal(long value)
{
    char digits[24];
    int count = 0;
    unsigned long magnitude = value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        append("-", 1);
    while (count)
        append(&digits[--count], 1);
}

void appendHex(std::uint64_t value)
{
    char digits[16];
    int count = 0;
    do {
        digits[count++] = "0123456789abcdef"[value & 0xf];
        value >>= 4;
    } while (value);
    while (count)
        append(&digits[--count], 1);
}

// Names become printable ASCII, so that a record never fails to read because of a cut character.
void appendName(const char* name, std::size_t limit)
{
    for (std::size_t i = 0; i < limit && name[i]; ++i) {
        char c = name[i];
        append(static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f ? "?" : &c, 1);
    }
}

void writeRecord(const char* kind, int signal, int code, std::uint64_t address, const char* exceptionType)
{
    state.recordLength = 0;
    append("pellamor-crash 1\nkind ");
    append(kind);
    append("\nsignal ");
    appendDecimal(signal);
    append("\ncode ");
    appendDecimal(code);
    append("\naddress ");
    appendHex(address);
    char threadName[17] {};
    if (prctl(PR_GET_NAME, threadName) == 0 && threadName[0]) {
        append("\nthread ");
        appendName(threadName, 16);
    }
    if (exceptionType && exceptionType[0]) {
        append("\nexception ");
        appendName(exceptionType, CrashRecord::maximumNameBytes);
    }
    append("\n");
    void* frames[CrashRecord::maximumFrames];
    int frameCount = backtrace(frames, int(CrashRecord::maximumFrames));
    for (int i = 0; i < frameCount; ++i) {
        append("frame ");
        appendHex(reinterpret_cast<std::uintptr_t>(frames[i]));
        append("\n");
    }
    append(state.modules, state.modulesLength);
    append("end\n");

    int file = open(state.partialPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0)
        return;
    std::size_t written = 0;
    while (written < state.recordLength) {
        ssize_t count = write(file, state.record + written, state.recordLength - written);
        if (count <= 0)
            break;
        written += std::size_t(count);
    }
    fsync(file);
    close(file);
    // Only a complete record carries the name the next start reads.
    if (written == state.recordLength)
        rename(state.partialPath, state.recordPath);
    else
        unlink(state.partialPath);
}

void handleSignal(int signal, siginfo_t* info, void*)
{
    if (!recorded.exchange(true))
        writeRecord("signal", signal, info ? info->si_code : 0,
            info ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0, nullptr);
    // The handler was reset on entry: the same signal now ends the process as it would have.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

void handleTerminate()
{
    if (!recorded.exchange(true)) {
        std::type_info* type = abi::__cxa_current_exception_type();
        writeRecord("terminate", SIGABRT, 0, 0, type ? type->name() : nullptr);
    }
    // The abort that follows finds the record written and adds none.
    if (state.previousTerminate)
        state.previousTerminate();
    std::abort();
}

int addModule(dl_phdr_info* info, std::size_t, void*)
{
    std::uint64_t low = UINT64_MAX, high = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD)
            continue;
        low = std::min<std::uint64_t>(low, header.p_vaddr);
        high = std::max<std::uint64_t>(high, header.p_vaddr + header.p_memsz);
    }
    std::string path = info->dlpi_name ? info->dlpi_name : "";
    if (path.empty()) {
        char executable[4096];
        ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
        path.assign(executable, length > 0 ? std::size_t(length) : 0);
    }
    if (low > high || path.empty() || !isValidUTF8(path) || path.find('\n') != std::string::npos
        || path.size() > 4096)
        return 0;
    char numbers[40];
    int count = std::snprintf(numbers, sizeof numbers, "%llx %llx ",
        static_cast<unsigned long long>(info->dlpi_addr + low), static_cast<unsigned long long>(high - low));
    std::string line = "module " + std::string(numbers, std::size_t(count)) + path + "\n";
    if (state.modulesLength + line.size() > sizeof state.modules)
        return 1;
    std::memcpy(state.modules + state.modulesLength, line.data(), line.size());
    state.modulesLength += line.size();
    return 0;
}

bool copyPath(char* target, const std::filesystem::path& path)
{
    std::string text = path.string();
    if (text.size() + 1 > sizeof state.partialPath)
        return false;
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

bool install(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return false;
    std::string name = "crash-" + UUID::random().uuidString();
    if (!copyPath(state.partialPath, folder / (name + ".partial"))
        || !copyPath(state.recordPath, folder / (name + ".record")))
        return false;
    state.modulesLength = 0;
    dl_iterate_phdr(addModule, nullptr);
    // The first call loads what backtrace needs, so that the handler does not.
    void* warmUp[1];
    backtrace(warmUp, 1);
    if (state.installed)
        return true;

    stack_t alternate {};
    alternate.ss_sp = state.alternateStack;
    alternate.ss_size = sizeof state.alternateStack;
    sigaltstack(&alternate, nullptr);
    struct sigaction action {};
    action.sa_sigaction = handleSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < signalCount; ++i)
        sigaction(capturedSignals[i], &action, &state.previous[i]);
    state.previousTerminate = std::set_terminate(handleTerminate);
    recorded = false;
    state.installed = true;
    return true;
}

void uninstall()
{
    if (!state.installed)
        return;
    for (std::size_t i = 0; i < signalCount; ++i)
        sigaction(capturedSignals[i], &state.previous[i], nullptr);
    std::set_terminate(state.previousTerminate);
    state.installed = false;
}

bool isInstalled()
{
    return state.installed;
}

} // namespace pellamor::CrashCapture
