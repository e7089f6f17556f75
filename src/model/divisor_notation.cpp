#include "model/divisor_notation.h"

#include <algorithm>
#include <cmath>

namespace dorvanix {

namespace {

// Angles are written with these decimal values, not the full-precision constants.
constexpr double kFullTurn = 6.283185307;
constexpr double kHalfTurn = 3.1415926535;
constexpr long long kIntLimit = 2147483648LL;

// A read position in the text, with the scanning rules of the parsers: numbers are read with
// atoi semantics and the character that stops them is not consumed.
class Cursor {
  public:
    explicit Cursor(std::string_view text, std::size_t pos = 0) : text_(text), pos_(pos) {}

    // Looks for `ch` from one character after the cursor; moves just past it and answers true,
    // or stays and answers false at the end of the text.
    bool skipPast(char ch) {
        for (std::size_t i = pos_ + 1; i < text_.size(); ++i) {
            if (text_[i] == ch) {
                pos_ = i + 1;
                return true;
            }
        }
        return false;
    }

    int countChar(char ch) const {
        int count = 0;
        for (std::size_t i = pos_; i < text_.size(); ++i) count += text_[i] == ch ? 1 : 0;
        return count;
    }

    // Decimal value with atoi semantics: optional blanks and sign, then digits; 0 if none.
    int number() const {
        std::size_t i = pos_;
        while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t')) ++i;
        bool negative = false;
        if (i < text_.size() && (text_[i] == '-' || text_[i] == '+')) negative = text_[i++] == '-';
        long long value = 0;
        for (; i < text_.size() && text_[i] >= '0' && text_[i] <= '9'; ++i) {
            value = std::min(value * 10 + (text_[i] - '0'), kIntLimit);
        }
        // Out-of-range text saturates instead of overflowing as atoi would.
        if (negative) return static_cast<int>(-std::min(value, kIntLimit));
        return static_cast<int>(std::min(value, kIntLimit - 1));
    }

    char current() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void stepBack() {
        if (pos_ > 0) --pos_;
    }

  private:
    std::string_view text_;
    std::size_t pos_;
};

void setCoreArm(DivisorNode& root, int k, int branches, double length) {
    root.armAngle[k] = k * kFullTurn / branches;
    root.armLength[k] = length;
    root.handleLength[k] = length * coreSpreadFactor(branches);
}

// Rounds up the quotient of two multiplicities; 0 when the divisor is 0.
int ceilingRatio(int parent, int child) {
    return child == 0 ? 0 : (parent - 1) / child + 1;
}

}  // namespace

double coreSpreadFactor(int branches) {
    switch (branches) {
        case 3:
            return 0.8;
        case 4:
            return 0.6;
        case 5:
            return 0.5;
        case 6:
            return 0.42;
        case 7:
            return 0.36;
        case 8:
            return 0.32;
        default:
            return 0.3;
    }
}

void attachChainNode(DivisorNode& parent, DivisorNode& node, int n, int arm) {
    node.degree = n;
    node.allocateArms(n);
    node.neighbors[0] = &parent;
    node.armAngle[0] = parent.armAngle[arm] - kHalfTurn;
    for (int t = 0; t < n; ++t) {
        if (t > 0) node.armAngle[t] = t * kFullTurn / n + node.armAngle[0];
        node.armLength[t] = 25;
        node.handleLength[t] = (n == 1 || n == 2) ? 25 * 1.3 : 25 * 0.8;
    }
    const double theta = parent.armAngle[arm];
    const double distance = parent.armLength[arm] + node.armLength[0];
    node.x = parent.x + std::cos(theta) * distance;
    node.y = parent.y + std::sin(theta) * distance;
    node.movingX = node.x;
    node.movingY = node.y;
    node.velocityX = node.velocityY = 0.0;
}

void parseFiberLine(NodePool& pool, DivisorNode& root, std::string_view text) {
    if (text.size() < 2 || text[0] != '(' || text[1] != '(') return;
    int serial = 1;
    root.serial = serial;
    Cursor cursor(text, 2);
    const int m = cursor.number();
    root.multiplicity = m;
    cursor.skipPast(',');
    root.selfIntersection = cursor.number();
    const int branches = cursor.countChar(',');
    root.degree = branches;
    root.x = root.y = 0.0;
    root.allocateArms(branches);
    for (int k = 0; k < branches; ++k) {
        setCoreArm(root, k, branches, 50);
        DivisorNode* current = &pool.take();
        root.neighbors[k] = current;
        current->serial = ++serial;
        cursor.skipPast(',');
        current->multiplicity = cursor.number();
        // The continued-fraction rule: r_i c_i = c_{i-1} + c_{i+1}, ending where c_i | c_{i-1}.
        int before = m;
        DivisorNode* previous = &root;
        int arm = k;
        while (true) {
            const int c = current->multiplicity;
            if (c <= 0) {  // only a corrupt line gets here; end the branch on this node
                attachChainNode(*previous, *current, 1, arm);
                break;
            }
            const int ri = before / c + 1;
            const int next = ri * c - before;
            if (next == c) {
                current->selfIntersection = ri - 1;
                attachChainNode(*previous, *current, 1, arm);
                break;
            }
            current->selfIntersection = ri;
            attachChainNode(*previous, *current, 2, arm);
            DivisorNode* following = &pool.take();
            current->neighbors[1] = following;
            following->serial = ++serial;
            following->multiplicity = next;
            before = c;
            previous = current;
            current = following;
            arm = 1;
        }
    }
    root.movingX = root.movingY = 0.0;
    root.velocityX = root.velocityY = 0.0;
}

int parseDivisorNotation(NodePool& pool, DivisorNode& root, std::string_view text) {
    if (text.empty() || text[0] != '(') return root.selfIntersection;
    Cursor cursor(text, 1);
    int serial = 1;
    root.serial = serial;
    const int k = cursor.number();
    root.multiplicity = k;
    const int branches = cursor.countChar('(');
    root.degree = branches;
    root.x = root.y = root.movingX = root.movingY = root.velocityX = root.velocityY = 0.0;
    root.allocateArms(branches);
    long long firstSum = 0;
    for (int j = 0; j < branches; ++j) {
        setCoreArm(root, j, branches, 40);
        DivisorNode* current = &pool.take();
        root.neighbors[j] = current;
        current->serial = ++serial;
        cursor.skipPast('(');
        if (cursor.current() == ')') {
            current->multiplicity = 0;
            current->selfIntersection = 0;
            continue;
        }
        current->multiplicity = cursor.number();
        current->selfIntersection = ceilingRatio(root.multiplicity, current->multiplicity);
        firstSum += current->multiplicity;
        DivisorNode* previous = &root;
        int arm = j;
        while (true) {
            const bool found = cursor.skipPast(',');
            if (found && cursor.current() != '(') {
                attachChainNode(*previous, *current, 2, arm);
                DivisorNode* following = &pool.take();
                current->neighbors[1] = following;
                following->serial = ++serial;
                following->multiplicity = cursor.number();
                following->selfIntersection =
                    ceilingRatio(current->multiplicity, following->multiplicity);
                previous = current;
                current = following;
                arm = 1;
            } else {
                attachChainNode(*previous, *current, 1, arm);
                cursor.stepBack();
                break;
            }
        }
    }
    root.selfIntersection = k == 0 ? 0 : static_cast<int>(firstSum / k);
    return root.selfIntersection;
}

namespace {

// Calls emit(piece) for every piece the notation is made of, in order.
template <typename Emit>
void walkNotation(const DivisorNode& root, Emit&& emit) {
    emit("(" + std::to_string(root.multiplicity) + ";");
    for (int j = 0; j < root.degree; ++j) {
        const DivisorNode* node = root.neighbor(j);
        // A branch absent from a sub-divisor is a lone curve of multiplicity 0: written "()".
        const bool empty =
            node == nullptr || (node->multiplicity == 0 && node->neighbor(1) == nullptr);
        if (empty) {
            emit(std::string("("));
        } else {
            emit("(" + std::to_string(node->multiplicity));
            while (node->degree != 1 && node->neighbor(1) != nullptr) {
                node = node->neighbor(1);
                emit("," + std::to_string(node->multiplicity));
            }
        }
        emit(std::string(j + 1 < root.degree ? ")," : "))"));
    }
}

}  // namespace

std::string printDivisorNotation(const DivisorNode& root) {
    std::string text;
    walkNotation(root, [&](const std::string& piece) { text += piece; });
    return text;
}

int divisorNotationLength(const DivisorNode& root) {
    int length = 0;
    walkNotation(root, [&](const std::string& piece) { length += static_cast<int>(piece.size()); });
    return length;
}

}  // namespace dorvanix
