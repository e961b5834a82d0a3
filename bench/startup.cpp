// Start-up of whole processes, compared with each other: the time from fork
// to the first frame that reaches the X server, and the peak resident memory.
//
// The programs are not told they are measured. This harness is an X client of
// its own: it watches the root window with the DAMAGE extension, which
// reports any drawing on the screen, so the first drawing after a program's
// window is mapped is that program's first frame, on the server, measured
// the same way for every program. Qt maps its windows with no background, so
// the map itself draws nothing. Each program is then ended with SIGTERM and
// its peak RSS taken from wait4().
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Program
{
    std::string name;
    std::string path;
    std::vector<double> frameMs;
    std::vector<double> rssMiB;
    std::vector<double> cpuMs;
};

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double ms(timeval t)
{
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

// Linear between the two nearest samples; 0.5 is the median.
double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    const double at = q * static_cast<double>(v.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, v.size() - 1);
    return v[below] + (v[above] - v[below]) * (at - static_cast<double>(below));
}

double median(const std::vector<double> &v)
{
    return quantile(v, 0.5);
}

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "bench-startup: %s\n", what.c_str());
    std::exit(1);
}

struct Free
{
    void operator()(void *p) const { std::free(p); }
};
using Event = std::unique_ptr<xcb_generic_event_t, Free>;

class Screen
{
public:
    Screen()
    {
        c_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c_))
            fail("cannot open the X display (DISPLAY unset or no server)");
        fcntl(xcb_get_file_descriptor(c_), F_SETFD, FD_CLOEXEC); // not the programs'
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c_, &xcb_damage_id);
        if (!ext || !ext->present)
            fail("the X server has no DAMAGE extension");
        damageNotify_ = static_cast<std::uint8_t>(ext->first_event + XCB_DAMAGE_NOTIFY);
        std::free(xcb_damage_query_version_reply(c_, xcb_damage_query_version(c_, 1, 1), nullptr));
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        sync();
    }
    ~Screen() { xcb_disconnect(c_); }
    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;

    // One run: fork, wait for the first frame, let the program settle, end it.
    void run(Program &p, int settleMs)
    {
        // A new damage object holds the whole screen: empty it first.
        const xcb_damage_damage_t damage = xcb_generate_id(c_);
        xcb_damage_create(c_, damage, root_, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        xcb_damage_subtract(c_, damage, XCB_NONE, XCB_NONE);
        sync();
        while (Event e{xcb_poll_for_event(c_)})
            ; // anything from before this run

        const double start = nowMs();
        const pid_t pid = fork();
        if (pid < 0)
            fail("fork failed");
        if (pid == 0) {
            execl(p.path.c_str(), p.path.c_str(), static_cast<char *>(nullptr));
            std::perror(p.path.c_str());
            _exit(127);
        }

        xcb_window_t window = XCB_NONE;
        double frame = -1;
        while (frame < 0) {
            Event e = next(pid, start + 30000);
            const auto type = static_cast<std::uint8_t>(e->response_type & 0x7f);
            if (type == XCB_MAP_NOTIFY && window == XCB_NONE) {
                window = reinterpret_cast<xcb_map_notify_event_t *>(e.get())->window;
            } else if (type == damageNotify_) {
                if (window != XCB_NONE)
                    frame = nowMs() - start;
                xcb_damage_subtract(c_, damage, XCB_NONE, XCB_NONE); // report the next one too
                xcb_flush(c_);
            }
        }

        ::poll(nullptr, 0, settleMs); // what a program does just after its first frame counts too
        kill(pid, SIGTERM);
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid)
            fail("wait4 failed");

        // The window must be gone, and the screen under it redrawn, before
        // the next run watches for drawing.
        for (bool gone = false; !gone;) {
            Event e = next(0, nowMs() + 10000);
            const auto type = static_cast<std::uint8_t>(e->response_type & 0x7f);
            gone = type == XCB_DESTROY_NOTIFY
                   && reinterpret_cast<xcb_destroy_notify_event_t *>(e.get())->window == window;
        }
        xcb_damage_destroy(c_, damage);
        sync();

        p.frameMs.push_back(frame);
        p.rssMiB.push_back(static_cast<double>(usage.ru_maxrss) / 1024.0);
        p.cpuMs.push_back(ms(usage.ru_utime) + ms(usage.ru_stime));
    }

private:
    void sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    // The next event; a program that dies first, or a deadline, ends the bench.
    Event next(pid_t child, double deadline)
    {
        for (;;) {
            if (xcb_generic_event_t *e = xcb_poll_for_event(c_)) {
                if (e->response_type == 0)
                    fail("X error " + std::to_string(reinterpret_cast<xcb_generic_error_t *>(e)->error_code));
                return Event(e);
            }
            if (xcb_connection_has_error(c_))
                fail("lost the X connection");
            if (nowMs() > deadline)
                fail("timed out waiting for the X server");
            if (child > 0 && waitpid(child, nullptr, WNOHANG) == child)
                fail("the program ended before its first frame");
            pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
            ::poll(&fd, 1, 50);
        }
    }

    xcb_connection_t *c_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    std::uint8_t damageNotify_ = 0;
};

void usage()
{
    std::fprintf(stderr,
                 "usage: bench-startup [-n RUNS] [-w WARM-UP RUNS] [-s SETTLE_MS] NAME=PROGRAM...\n"
                 "Runs the programs in turn under the X server of DISPLAY; the first is the\n"
                 "reference the others are compared with.\n");
    std::exit(2);
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 21;
    int warmUp = 2;
    int settleMs = 300;
    int opt;
    while ((opt = getopt(argc, argv, "n:w:s:")) != -1) {
        switch (opt) {
        case 'n': runs = std::atoi(optarg); break;
        case 'w': warmUp = std::atoi(optarg); break;
        case 's': settleMs = std::atoi(optarg); break;
        default: usage();
        }
    }
    std::vector<Program> programs;
    for (int i = optind; i < argc; ++i) {
        const char *eq = std::strchr(argv[i], '=');
        if (!eq)
            usage();
        programs.push_back({std::string(argv[i], static_cast<std::size_t>(eq - argv[i])), eq + 1, {}, {}, {}});
    }
    if (programs.empty() || runs < 1)
        usage();

    Screen screen;
    // Interleaved, and in the reverse order every other round, so that a
    // change of load on the machine falls on every program alike.
    for (int r = 0; r < warmUp + runs; ++r) {
        for (std::size_t i = 0; i < programs.size(); ++i)
            screen.run(programs[r % 2 ? programs.size() - 1 - i : i], settleMs);
        if (r == warmUp - 1)
            for (Program &p : programs)
                p.frameMs.clear(), p.rssMiB.clear(), p.cpuMs.clear();
    }

    const Program &ref = programs.front();
    std::printf("Start-up, median of %d runs: fork to first frame on the X server (quartiles\n"
                "in brackets); CPU time (user + system) and peak RSS of the process\n\n", runs);
    std::printf("| program | first frame (ms) | ratio | CPU time (ms) | ratio | peak RSS (MiB) | ratio |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
    for (const Program &p : programs)
        std::printf("| %s | %.1f (%.1f-%.1f) | %.2fx | %.1f | %.2fx | %.1f | %.2fx |\n", p.name.c_str(),
                    median(p.frameMs), quantile(p.frameMs, 0.25), quantile(p.frameMs, 0.75),
                    median(p.frameMs) / median(ref.frameMs), median(p.cpuMs),
                    median(p.cpuMs) / median(ref.cpuMs), median(p.rssMiB),
                    median(p.rssMiB) / median(ref.rssMiB));
    return 0;
}
