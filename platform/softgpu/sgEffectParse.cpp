#include "sgEffectParse.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat::softgpu::fx {
namespace {

// Deeper nesting than any effect needs: a guard for hostile text.
constexpr int kMaxDepth = 200;

struct Token {
    enum class Kind { End, Name, Number, Symbol };
    Kind kind = Kind::End;
    std::string text;
    float number = 0;
    int line = 1, column = 1;
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    // False with the error on a character the language does not use.
    bool Next(Token& t, SourceError& error)
    {
        if (!SkipSpace(error)) return false;
        t = Token();
        t.line = line_;
        t.column = column_;
        if (at_ >= text_.size()) return true;
        const char c = text_[at_];
        if (std::isalpha(uint8_t(c)) || c == '_') {
            t.kind = Token::Kind::Name;
            while (at_ < text_.size() && (std::isalnum(uint8_t(text_[at_])) || text_[at_] == '_')) t.text += Take();
            return true;
        }
        if (std::isdigit(uint8_t(c)) || (c == '.' && at_ + 1 < text_.size() && std::isdigit(uint8_t(text_[at_ + 1]))))
            return Number(t, error);
        static const char* const kTwo[] = {"+=", "-=", "*=", "/="};
        for (const char* two : kTwo) {
            if (text_.substr(at_, 2) == two) {
                t.kind = Token::Kind::Symbol;
                t.text = std::string(two);
                Take();
                Take();
                return true;
            }
        }
        if (std::strchr("{}();,.=+-*/", c) && c != 0) {
            t.kind = Token::Kind::Symbol;
            t.text = std::string(1, Take());
            return true;
        }
        error = {line_, column_, std::string("unexpected character '") + Printable(c) + "'"};
        return false;
    }

private:
    static std::string Printable(char c)
    {
        if (std::isprint(uint8_t(c))) return std::string(1, c);
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\x%02X", unsigned(uint8_t(c)));
        return buffer;
    }
    char Take()
    {
        const char c = text_[at_++];
        if (c == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        return c;
    }
    bool SkipSpace(SourceError& error)
    {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (std::isspace(uint8_t(c))) {
                Take();
            } else if (text_.substr(at_, 2) == "//") {
                while (at_ < text_.size() && text_[at_] != '\n') Take();
            } else if (text_.substr(at_, 2) == "/*") {
                const int line = line_, column = column_;
                Take();
                Take();
                while (at_ < text_.size() && text_.substr(at_, 2) != "*/") Take();
                if (at_ >= text_.size()) {
                    error = {line, column, "comment without its end"};
                    return false;
                }
                Take();
                Take();
            } else {
                break;
            }
        }
        return true;
    }
    bool Number(Token& t, SourceError& error)
    {
        std::string digits;
        while (at_ < text_.size() && (std::isdigit(uint8_t(text_[at_])) || text_[at_] == '.')) digits += Take();
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            digits += Take();
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) digits += Take();
            while (at_ < text_.size() && std::isdigit(uint8_t(text_[at_]))) digits += Take();
        }
        if (at_ < text_.size() && (text_[at_] == 'f' || text_[at_] == 'F')) Take();
        char* end = nullptr;
        t.number = std::strtof(digits.c_str(), &end);
        if (!end || *end != 0) {
            error = {t.line, t.column, "malformed number '" + digits + "'"};
            return false;
        }
        t.kind = Token::Kind::Number;
        t.text = digits;
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
    int line_ = 1, column_ = 1;
};

TypeName TypeOf(const std::string& word)
{
    if (word == "float") return TypeName::Float;
    if (word == "float2") return TypeName::Float2;
    if (word == "float3") return TypeName::Float3;
    if (word == "float4") return TypeName::Float4;
    if (word == "float4x4") return TypeName::Matrix;
    if (word == "texture") return TypeName::Texture;
    return TypeName::None;
}

class Parser {
public:
    Parser(std::string_view text, SourceError& error) : lexer_(text), error_(error) {}

    bool Effect(EffectSource& out)
    {
        if (!Advance()) return false;
        while (token_.kind != Token::Kind::End) {
            if (IsName("technique")) {
                out.techniques.emplace_back();
                if (!TechniqueBlock(out.techniques.back())) return false;
            } else {
                out.parameters.emplace_back();
                if (!ParameterLine(out.parameters.back())) return false;
            }
        }
        return true;
    }

private:
    bool Advance() { return lexer_.Next(token_, error_); }
    bool IsName(const char* word) const { return token_.kind == Token::Kind::Name && token_.text == word; }
    bool IsSymbol(const char* s) const { return token_.kind == Token::Kind::Symbol && token_.text == s; }
    bool Fail(const std::string& message)
    {
        error_ = {token_.line, token_.column, message};
        return false;
    }
    std::string Seen() const
    {
        if (token_.kind == Token::Kind::End) return "the end of the text";
        return "'" + token_.text + "'";
    }
    bool Expect(const char* symbol)
    {
        if (!IsSymbol(symbol)) return Fail(std::string("expected '") + symbol + "' but found " + Seen());
        return Advance();
    }
    bool Identifier(std::string& name)
    {
        if (token_.kind != Token::Kind::Name || TypeOf(token_.text) != TypeName::None || IsName("technique") ||
            IsName("return"))
            return Fail("expected a name but found " + Seen());
        name = token_.text;
        return Advance();
    }

    bool ParameterLine(Parameter& p)
    {
        p.line = token_.line;
        p.column = token_.column;
        p.type = token_.kind == Token::Kind::Name ? TypeOf(token_.text) : TypeName::None;
        if (p.type == TypeName::None) return Fail("expected a parameter or a technique but found " + Seen());
        if (!Advance() || !Identifier(p.name)) return false;
        if (IsSymbol("=")) {
            if (!Advance() || !Expression(p.init, 0)) return false;
        }
        return Expect(";");
    }

    bool TechniqueBlock(Technique& t)
    {
        if (!Advance()) return false;
        t.line = token_.line;
        t.column = token_.column;
        if (!Identifier(t.name) || !Expect("{")) return false;
        while (!IsSymbol("}")) {
            if (token_.kind == Token::Kind::End) return Fail("technique '" + t.name + "' has no closing '}'");
            t.body.emplace_back();
            if (!StatementLine(t.body.back())) return false;
        }
        return Advance();
    }

    bool StatementLine(Statement& s)
    {
        s.line = token_.line;
        s.column = token_.column;
        if (IsName("return")) {
            s.kind = Statement::Kind::Return;
            return Advance() && Expression(s.value, 0) && Expect(";");
        }
        s.type = token_.kind == Token::Kind::Name ? TypeOf(token_.text) : TypeName::None;
        if (s.type != TypeName::None) {
            s.kind = Statement::Kind::Declare;
            if (!Advance() || !Identifier(s.name) || !Expect("=")) return false;
            return Expression(s.value, 0) && Expect(";");
        }
        s.kind = Statement::Kind::Assign;
        if (!Identifier(s.name)) return false;
        if (IsSymbol("=") || IsSymbol("+=") || IsSymbol("-=") || IsSymbol("*=") || IsSymbol("/=")) {
            s.op = token_.text[0];
        } else {
            return Fail("expected '=' but found " + Seen());
        }
        return Advance() && Expression(s.value, 0) && Expect(";");
    }

    std::unique_ptr<Node> Make(Node::Kind kind) const
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->line = token_.line;
        n->column = token_.column;
        return n;
    }

    // Sums of products: the usual precedence, left to right.
    bool Expression(std::unique_ptr<Node>& out, int depth)
    {
        if (!Product(out, depth)) return false;
        while (IsSymbol("+") || IsSymbol("-")) {
            auto n = Make(Node::Kind::Binary);
            n->op = token_.text[0];
            n->args.push_back(std::move(out));
            n->args.emplace_back();
            if (!Advance() || !Product(n->args.back(), depth)) return false;
            out = std::move(n);
        }
        return true;
    }

    bool Product(std::unique_ptr<Node>& out, int depth)
    {
        if (!Unary(out, depth)) return false;
        while (IsSymbol("*") || IsSymbol("/")) {
            auto n = Make(Node::Kind::Binary);
            n->op = token_.text[0];
            n->args.push_back(std::move(out));
            n->args.emplace_back();
            if (!Advance() || !Unary(n->args.back(), depth)) return false;
            out = std::move(n);
        }
        return true;
    }

    bool Unary(std::unique_ptr<Node>& out, int depth)
    {
        if (depth > kMaxDepth) return Fail("expression nested too deeply");
        if (IsSymbol("-") || IsSymbol("+")) {
            const bool negate = IsSymbol("-");
            auto n = Make(Node::Kind::Unary);
            n->op = '-';
            n->args.emplace_back();
            if (!Advance() || !Unary(n->args.back(), depth + 1)) return false;
            out = negate ? std::move(n) : std::move(n->args.back());
            return true;
        }
        if (!Primary(out, depth)) return false;
        while (IsSymbol(".")) {
            auto n = Make(Node::Kind::Member);
            if (!Advance()) return false;
            n->line = token_.line;
            n->column = token_.column;
            if (token_.kind != Token::Kind::Name) return Fail("expected components after '.' but found " + Seen());
            n->text = token_.text;
            n->args.push_back(std::move(out));
            out = std::move(n);
            if (!Advance()) return false;
        }
        return true;
    }

    bool Primary(std::unique_ptr<Node>& out, int depth)
    {
        if (token_.kind == Token::Kind::Number) {
            out = Make(Node::Kind::Number);
            out->number = token_.number;
            return Advance();
        }
        if (IsSymbol("(")) {
            return Advance() && Expression(out, depth + 1) && Expect(")");
        }
        if (token_.kind != Token::Kind::Name) return Fail("expected a value but found " + Seen());
        auto n = Make(Node::Kind::Name);
        n->text = token_.text;
        if (!Advance()) return false;
        if (IsSymbol("(")) {
            n->kind = Node::Kind::Call;
            if (!Advance()) return false;
            while (!IsSymbol(")")) {
                n->args.emplace_back();
                if (!Expression(n->args.back(), depth + 1)) return false;
                if (IsSymbol(",")) {
                    if (!Advance()) return false;
                } else if (!IsSymbol(")")) {
                    return Fail("expected ',' or ')' but found " + Seen());
                }
            }
            if (!Advance()) return false;
        }
        out = std::move(n);
        return true;
    }

    Lexer lexer_;
    SourceError& error_;
    Token token_;
};

}  // namespace

int ComponentsOf(TypeName type)
{
    switch (type) {
    case TypeName::Float: return 1;
    case TypeName::Float2: return 2;
    case TypeName::Float3: return 3;
    case TypeName::Float4: return 4;
    case TypeName::Matrix: return 16;
    default: return 0;
    }
}

const char* NameOf(TypeName type)
{
    switch (type) {
    case TypeName::Float: return "float";
    case TypeName::Float2: return "float2";
    case TypeName::Float3: return "float3";
    case TypeName::Float4: return "float4";
    case TypeName::Matrix: return "float4x4";
    case TypeName::Texture: return "texture";
    default: return "nothing";
    }
}

bool ParseEffect(std::string_view text, EffectSource& out, SourceError& error)
{
    out = EffectSource();
    // Effect buffers often end with a terminating zero: the text stops there.
    if (size_t zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);
    Parser parser(text, error);
    return parser.Effect(out);
}

}  // namespace plat::softgpu::fx
