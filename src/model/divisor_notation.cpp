#include "model/divisor_notation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/fiber_tree.h"
#include "model/leading_number.h"
#include "model/pi.h"

namespace dorvanix {

namespace {

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

    // The number at the cursor (leadingNumber); the cursor stays.
    int number() const { return leadingNumber(text_, pos_); }

    char current() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void stepBack() {
        if (pos_ > 0) --pos_;
    }

  private:
    std::string_view text_;
    std::size_t pos_;
};

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

void setCoreArm(DivisorNode& root, int k, int branches, double length) {
    root.armAngle[k] = k * kTurnCut9 / branches;
    root.armLength[k] = length;
    root.handleLength[k] = length * coreSpreadFactor(branches);
}

void attachChainNode(DivisorNode& parent, DivisorNode& node, int n, int arm) {
    node.degree = n;
    node.allocateArms(n);
    node.neighbors[0] = &parent;
    node.armAngle[0] = parent.armAngle[arm] - kPiCut10;
    for (int t = 0; t < n; ++t) {
        if (t > 0) node.armAngle[t] = t * kTurnCut9 / n + node.armAngle[0];
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
    Cursor cursor(text, 2);
    const int m = cursor.number();
    cursor.skipPast(',');
    const int r = cursor.number();
    std::vector<int> parts(static_cast<std::size_t>(cursor.countChar(',')));
    for (int& a : parts) {
        cursor.skipPast(',');
        a = cursor.number();
    }
    buildFiberTree(pool, root, m, r, parts);
}

int parseDivisorNotation(NodePool& pool, DivisorNode& root, std::string_view text) {
    if (text.empty() || text[0] != '(') return root.selfIntersection;
    Cursor cursor(text, 1);
    int serial = kCoreSerial;
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
