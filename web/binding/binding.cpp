// The module of the web page: the core as the page's worker calls it. Every answer that may fail
// comes back as {ok: true, value} or {ok: false, message} with the core's own message, so that
// the page shows it next to the field it is about.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <variant>
#include <vector>

#include "files/list_files.h"
#include "model/input_check.h"
#include "packed_lists.h"
#include "web_session.h"

namespace dorvanix::web {
namespace {

using emscripten::val;

val guarded(const std::function<val()>& work) {
    val answer = val::object();
    try {
        answer.set("value", work());
        answer.set("ok", true);
    } catch (const InputError& error) {
        answer.set("ok", false);
        answer.set("message", std::string(error.what()));
    } catch (const std::bad_alloc&) {
        answer.set("ok", false);
        answer.set("message", std::string("out of memory"));
    }
    return answer;
}

// A draw list as numbers, in drawing order: a curve segment as 0, its four points (x, y), its
// colour 0xRRGGBB and its width; a label as 1, its top-left point, its colour and the place of
// its text in `labels`.
val packed(const DrawList& list) {
    std::vector<std::int32_t> ops;
    ops.reserve(list.items.size() * 11);
    val labels = val::array();
    int labelCount = 0;
    const auto colour = [](Rgb c) { return (c.red << 16) | (c.green << 8) | c.blue; };
    for (const DrawItem& item : list.items) {
        if (const auto* segment = std::get_if<CubicSegment>(&item)) {
            ops.push_back(0);
            for (const PixelPoint& p : segment->points) {
                ops.push_back(p.x);
                ops.push_back(p.y);
            }
            ops.push_back(colour(segment->colour));
            ops.push_back(segment->width);
        } else {
            const auto& label = std::get<TextLabel>(item);
            ops.insert(ops.end(),
                       {1, label.topLeft.x, label.topLeft.y, colour(label.colour), labelCount++});
            labels.call<void>("push", label.text);
        }
    }
    val drawing = val::object();
    drawing.set(
        "ops",
        val::global("Int32Array").new_(val(emscripten::typed_memory_view(ops.size(), ops.data()))));
    drawing.set("labels", labels);
    return drawing;
}

// The one fiber the worker holds, with its selection.
class SessionHolder {
  public:
    val open(const std::string& x) {
        return guarded([&] {
            session_ = std::make_unique<WebSession>(x);
            val fiber = val::object();
            fiber.set("notation", session_->notation());
            fiber.set("genus", session_->genus());
            fiber.set("branches", session_->branches());
            fiber.set("listFileName", session_->subdivisorListFileName());
            return fiber;
        });
    }
    val select(const std::string& line) {
        return guarded([&] { return val(session().select(line)); });
    }
    void clear() { session().clear(); }
    // A frame, or the core's reason when the picture is declined.
    val frame() {
        return guarded([&] { return val(session().frame()); });
    }
    val tick() {
        return guarded([&] { return val(session().tick()); });
    }
    // The frame, or the next tick's, as the draw list packed for a canvas.
    val frameDrawing() {
        return guarded([&] { return packed(session().frameDrawing()); });
    }
    val tickDrawing() {
        return guarded([&] { return packed(session().tickDrawing()); });
    }
    void restart() { session().restart(); }
    int ticks() { return session().ticks(); }
    val quorbel() {
        return guarded([&] {
            val file = val::object();
            file.set("name", session().quorbelFileName());
            file.set("text", session().quorbelFile());
            return file;
        });
    }
    val graph(const std::string& format) {
        return guarded([&] { return val(session().graph(format)); });
    }

  private:
    WebSession& session() {
        if (!session_) throw InputError("no fiber is chosen");
        return *session_;
    }
    std::unique_ptr<WebSession> session_;
};

val guardedListFibers(val input, val onChunk) {
    return guarded([&] { return val(listFibers(input, onChunk)); });
}

val guardedListSubdivisors(const std::string& x, val options, val onChunk) {
    return guarded([&] { return val(listSubdivisorRows(x, options, onChunk)); });
}

val guardedSubdivisorCount(const std::string& x, val options) {
    return guarded([&] { return val(subdivisorCount(x, options)); });
}

// "only for ell =": the typed number within -100 ... 100, 0 (no filter) for an empty field.
val readEllFilter(const std::string& text) {
    return guarded([&] {
        const bool empty = text.find_first_not_of(" \t") == std::string::npos;
        return val(empty ? 0 : ellFilter(parseInputNumber(text, "ell")));
    });
}

std::string fiberListName(int m, int r, int b, int genus) {
    return genus > 0 ? genusFiberListFileName(genus) : fiberListFileName(m, r, b);
}

}  // namespace

EMSCRIPTEN_BINDINGS(dorvanix) {
    using namespace emscripten;
    function("readFiberInput", &readFiberInput);
    function("readEllFilter", &readEllFilter);
    function("listFibers", &guardedListFibers);
    function("fiberListBound", &fiberListBound);
    function("fiberLines", &fiberLines);
    function("fiberListFile", &fiberListFile);
    function("fiberListFilePart", &fiberListFilePart);
    function("fiberListFileEnd", &fiberListFileEnd);
    function("fiberListFileName", &fiberListName);
    function("listSubdivisors", &guardedListSubdivisors);
    function("subdivisorLines", &subdivisorLines);
    function("subdivisorCount", &guardedSubdivisorCount);
    function("subdivisorListFile", &subdivisorListFile);
    function("subdivisorListFileHead", &subdivisorListFileHead);
    function("subdivisorListFilePart", &subdivisorListFilePart);
    function("subdivisorListFileEnd", &subdivisorListFileEnd);
    function("writeSubdivisorListFile", &writeSubdivisorListFile);
    class_<SessionHolder>("Session")
        .constructor<>()
        .function("open", &SessionHolder::open)
        .function("select", &SessionHolder::select)
        .function("clear", &SessionHolder::clear)
        .function("frame", &SessionHolder::frame)
        .function("tick", &SessionHolder::tick)
        .function("frameDrawing", &SessionHolder::frameDrawing)
        .function("tickDrawing", &SessionHolder::tickDrawing)
        .function("restart", &SessionHolder::restart)
        .function("ticks", &SessionHolder::ticks)
        .function("quorbel", &SessionHolder::quorbel)
        .function("graph", &SessionHolder::graph);
}

}  // namespace dorvanix::web
