#include <climits>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "files/graph_formats.h"
#include "model/input_check.h"

namespace dorvanix {

namespace {

[[noreturn]] void malformed(const std::string& what) {
    throw InputError("dual graph: " + what);
}

// The numbers of a curve other than its id: far past any multiplicity, self-intersection or genus
// a fiber can have, so that the message that refuses one says what is wrong with the fiber.
constexpr long long kCurveNumberBound = kMaxInputNumber * 1000LL;

// One value that is not an array or an object, as the parser met it: a number the way it was
// typed, so that a message never shows a number nobody typed.
struct Scalar {
    enum class Kind { kNull, kOther, kSigned, kUnsigned, kFloat } kind = Kind::kOther;
    long long whole = 0;
    unsigned long long positive = 0;
    std::string shown;  // how a message names it: the number, or what kind of value it is
};

// The value as a whole number in low ... high; anything else (a fraction, a text, a number
// outside the range, however large) is refused with what was typed, at most 60 characters.
int wholeNumber(const Scalar& value, const std::string& what, long long low, long long high) {
    const bool inRange =
        (value.kind == Scalar::Kind::kSigned && value.whole >= low && value.whole <= high) ||
        (value.kind == Scalar::Kind::kUnsigned &&
         value.positive <= static_cast<unsigned long long>(high));
    if (!inRange) {
        malformed(what + " must be a whole number in " + std::to_string(low) + " ... " +
                  std::to_string(high) + ", not " + value.shown);
    }
    return value.kind == Scalar::Kind::kSigned ? static_cast<int>(value.whole)
                                               : static_cast<int>(value.positive);
}

// Builds the graph while the text is read, without a document of the whole text: a document
// takes ten times the text in memory, and one freed after running out of memory needs memory
// again. Nesting is refused past kMaxDepth levels, so that nothing here or in the parser grows
// with the depth of hostile text.
class GraphReader : public nlohmann::json::json_sax_t {
  public:
    DualGraph graph;

    bool null() override { return scalar({Scalar::Kind::kNull, 0, 0, "null"}); }
    bool boolean(bool value) override {
        return scalar({Scalar::Kind::kOther, 0, 0, value ? "true" : "false"});
    }
    bool number_integer(number_integer_t value) override {
        return scalar({Scalar::Kind::kSigned, value, 0, std::to_string(value)});
    }
    bool number_unsigned(number_unsigned_t value) override {
        return scalar({Scalar::Kind::kUnsigned, 0, value, std::to_string(value)});
    }
    bool number_float(number_float_t, const string_t& typed) override {
        return scalar({Scalar::Kind::kFloat, 0, 0, quoteInput(typed)});
    }
    bool string(string_t& text) override {
        if (top() == Place::kVertex && (key_ == "kind" || key_ == "note")) {
            (key_ == "kind" ? vertex_.kind : vertex_.note) = std::move(text);
            return true;
        }
        return scalar({Scalar::Kind::kOther, 0, 0, "a text"});
    }
    bool binary(binary_t&) override { return scalar({Scalar::Kind::kOther, 0, 0, "binary"}); }
    bool key(string_t& name) override {
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string& lastRead,
                     const nlohmann::detail::exception& error) override {
        // The parser's own message quotes what it read last in full; that part is quoted here as
        // every message quotes user text.
        if (error.id == kNumberOverflow) {
            malformed("the number " + quoteInput(lastRead) + " is too large for any field");
        }
        std::string what = error.what();
        what = what.substr(what.find("] ") + 2);
        what = what.substr(0, what.find("; last read:"));
        malformed("not JSON: " + what +
                  (lastRead.empty() ? "" : "; last read: " + quoteInput(lastRead)));
    }

    // After the text: both arrays must have been there.
    void finish() const {
        if (!sawVertices_ || !sawEdges_) malformed(kExpectedShape);
    }

  private:
    enum class Place { kTopObject, kVertices, kVertex, kEdges, kEdge, kSkipped };
    // The parser's code for a number past the range of a double, such as 1e400.
    static constexpr int kNumberOverflow = 406;
    static constexpr const char* kExpectedShape =
        "expected an object with the arrays \"vertices\" and \"edges\"";

    Place top() const { return places_.empty() ? Place::kSkipped : places_.back(); }
    std::string vertexName() const { return "vertex " + std::to_string(graph.vertices.size() + 1); }
    std::string edgeName() const { return "edge " + std::to_string(graph.edges.size() + 1); }
    [[noreturn]] void notAPair() const { malformed(edgeName() + " must be a pair of ids"); }
    [[noreturn]] void notAVertex() const {
        malformed(vertexName() + ": expected an object with \"id\" and \"multiplicity\"");
    }

    [[noreturn]] static void tooLarge(const char* what) {
        malformed(std::string("more than the ") + std::to_string(kMaxGraphCurves) + " " + what +
                  " a graph may have");
    }

    bool open(bool object) {
        if (places_.size() == kMaxDepth) {
            malformed("nested deeper than " + std::to_string(kMaxDepth) +
                      " levels; a dual graph needs 3");
        }
        places_.push_back(placeOfContainer(object));
        if (places_.back() == Place::kVertex) {
            if (graph.vertices.size() == kMaxCurves) tooLarge("curves");
            vertex_ = DualVertex{};
            vertex_.genus = 0;  // a curve is rational unless its genus is given
            sawId_ = sawMultiplicity_ = false;
        }
        if (places_.back() == Place::kEdge) {
            // A tree of kMaxGraphCurves curves has one edge fewer.
            if (graph.edges.size() == kMaxCurves) tooLarge("edges");
            pairCount_ = 0;
        }
        return true;
    }

    Place placeOfContainer(bool object) {
        if (places_.empty()) {
            if (!object) malformed(kExpectedShape);
            return Place::kTopObject;
        }
        switch (places_.back()) {
            case Place::kTopObject:
                if (key_ == "vertices" || key_ == "edges") {
                    if (object) malformed(kExpectedShape);
                    // A key given twice counts as it is given last, as in any JSON reader.
                    if (key_ == "vertices") {
                        sawVertices_ = true;
                        graph.vertices.clear();
                        return Place::kVertices;
                    }
                    sawEdges_ = true;
                    graph.edges.clear();
                    return Place::kEdges;
                }
                return Place::kSkipped;
            case Place::kVertices:
                if (!object) notAVertex();
                return Place::kVertex;
            case Place::kVertex:
                if (isNumberKey())
                    numberOfVertex({Scalar::Kind::kOther, 0, 0, object ? "an object" : "an array"});
                return Place::kSkipped;
            case Place::kEdges:
                if (object) notAPair();
                return Place::kEdge;
            case Place::kEdge:
                notAPair();
            case Place::kSkipped:
                break;
        }
        return Place::kSkipped;
    }

    bool close() {
        const Place closed = places_.back();
        places_.pop_back();
        if (closed == Place::kVertex) {
            if (!sawId_ || !sawMultiplicity_) notAVertex();
            graph.vertices.push_back(std::move(vertex_));
        }
        if (closed == Place::kEdge) {
            if (pairCount_ != 2) notAPair();
            graph.edges.emplace_back(pair_[0], pair_[1]);
        }
        return true;
    }

    bool isNumberKey() const {
        return key_ == "id" || key_ == "multiplicity" || key_ == "self_intersection" ||
               key_ == "genus";
    }

    bool scalar(const Scalar& value) {
        if (places_.empty()) malformed(kExpectedShape);
        switch (places_.back()) {
            case Place::kTopObject:
                if (key_ == "vertices" || key_ == "edges") malformed(kExpectedShape);
                break;
            case Place::kVertices:
                notAVertex();
            case Place::kVertex:
                if (isNumberKey()) numberOfVertex(value);
                break;
            case Place::kEdges:
                notAPair();
            case Place::kEdge:
                if (pairCount_ == 2) notAPair();
                pair_[pairCount_++] = wholeNumber(value, edgeName() + ": an id", INT_MIN, INT_MAX);
                break;
            case Place::kSkipped:
                break;
        }
        return true;
    }

    void numberOfVertex(const Scalar& value) {
        const std::string what = vertexName() + ": \"" + key_ + "\"";
        if (key_ == "id") {
            vertex_.id = wholeNumber(value, what, INT_MIN, INT_MAX);
            sawId_ = true;
        } else if (key_ == "multiplicity") {
            vertex_.multiplicity = wholeNumber(value, what, -kCurveNumberBound, kCurveNumberBound);
            sawMultiplicity_ = true;
        } else {
            // null is a number that is not known: a self-intersection or a genus.
            std::optional<int>& number = key_ == "genus" ? vertex_.genus : vertex_.selfIntersection;
            number = value.kind == Scalar::Kind::kNull
                         ? std::nullopt
                         : std::optional<int>(
                               wholeNumber(value, what, -kCurveNumberBound, kCurveNumberBound));
        }
    }

    // Three levels hold a graph (the object, its arrays, a vertex or an edge); a few more leave
    // room for fields of other programs, which are passed over.
    static constexpr std::size_t kMaxDepth = 16;
    static constexpr auto kMaxCurves = static_cast<std::size_t>(kMaxGraphCurves);
    std::vector<Place> places_;
    std::string key_;
    DualVertex vertex_;
    bool sawId_ = false;
    bool sawMultiplicity_ = false;
    bool sawVertices_ = false;
    bool sawEdges_ = false;
    int pair_[2] = {0, 0};
    int pairCount_ = 0;
};

}  // namespace

DualGraph readDualGraphJson(std::string_view text) {
    if (text.size() > kMaxGraphJsonBytes) {
        malformed("the text has " + std::to_string(text.size()) + " bytes, more than the " +
                  std::to_string(kMaxGraphJsonBytes) + " a dual graph is read from");
    }
    GraphReader reader;
    nlohmann::json::sax_parse(text, &reader);
    reader.finish();
    return std::move(reader.graph);
}

}  // namespace dorvanix
