// The effect language's text: tokens and the syntax tree of parameters and
// techniques (the language is described in docs/effects.md). Errors carry
// the line and column (from 1) where they were found.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat::softgpu::fx {

enum class TypeName { None, Float, Float2, Float3, Float4, Matrix, Texture };

// Components of a value of the type: 1..4 for the floats, 16 for a matrix.
int ComponentsOf(TypeName type);
const char* NameOf(TypeName type);

struct SourceError {
    int line = 1, column = 1;
    std::string message;
};

struct Node {
    enum class Kind { Number, Name, Call, Member, Unary, Binary };
    Kind kind = Kind::Number;
    int line = 1, column = 1;
    float number = 0;
    std::string text;  // name, called function or type, member letters
    char op = 0;       // unary '-', binary '+', '-', '*', '/'
    std::vector<std::unique_ptr<Node>> args;
};

struct Statement {
    enum class Kind { Declare, Assign, Return };
    Kind kind = Kind::Return;
    int line = 1, column = 1;
    TypeName type = TypeName::None;  // Declare
    std::string name;                // Declare, Assign
    char op = '=';                   // Assign: '=', '+', '-', '*', '/'
    std::unique_ptr<Node> value;
};

struct Technique {
    std::string name;
    int line = 1, column = 1;
    std::vector<Statement> body;
};

struct Parameter {
    TypeName type = TypeName::None;
    std::string name;
    int line = 1, column = 1;
    std::unique_ptr<Node> init;  // nullptr: zeros
};

struct EffectSource {
    std::vector<Parameter> parameters;
    std::vector<Technique> techniques;
};

// False with the first error found.
[[nodiscard]] bool ParseEffect(std::string_view text, EffectSource& out, SourceError& error);

}  // namespace plat::softgpu::fx
