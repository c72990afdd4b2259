#include "sgEffectCompile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>

namespace plat::softgpu::fx {
namespace {

// More than any backdrop needs; keeps a hostile text from growing without end.
constexpr size_t kMaxInstructions = 20000;
constexpr size_t kMaxSlots = 60000;

struct Value {
    TypeName type = TypeName::None;
    std::array<Operand, 16> c{};
    uint16_t texture = 0;
    int Size() const { return ComponentsOf(type); }
};

TypeName FloatType(int n)
{
    static const TypeName types[] = {TypeName::None, TypeName::Float, TypeName::Float2, TypeName::Float3,
                                     TypeName::Float4};
    return n >= 1 && n <= 4 ? types[n] : TypeName::None;
}

bool IsFloat(TypeName t) { return t == TypeName::Float || t == TypeName::Float2 || t == TypeName::Float3 || t == TypeName::Float4; }

// Functions applied component by component: name, operation, arguments.
struct Elementwise {
    const char* name;
    Op op;
    int args;
};
const Elementwise kElementwise[] = {
    {"abs", Op::Abs, 1},     {"floor", Op::Floor, 1}, {"frac", Op::Frac, 1},   {"sqrt", Op::Sqrt, 1},
    {"sin", Op::Sin, 1},     {"cos", Op::Cos, 1},     {"exp", Op::Exp, 1},     {"log", Op::Log, 1},
    {"min", Op::Min, 2},     {"max", Op::Max, 2},     {"pow", Op::Pow, 2},     {"step", Op::Step, 2},
    {"fmod", Op::Fmod, 2},   {"atan2", Op::Atan2, 2}, {"clamp", Op::Clamp, 3}, {"lerp", Op::Lerp, 3},
    {"smoothstep", Op::SmoothStep, 3},
};

class Compiler {
public:
    Compiler(CompiledEffect& out, SourceError& error) : out_(out), error_(error) {}

    bool Parameters(const EffectSource& source)
    {
        out_.uniforms.assign(SLOT_BUILTINS, 0.0f);
        for (const Parameter& p : source.parameters) {
            if (Defined(p.name)) return Fail(p.line, p.column, "'" + p.name + "' is defined twice");
            if (out_.uniforms.size() + 16 > kMaxSlots || out_.textures == UINT16_MAX)
                return Fail(p.line, p.column, "the effect has too many parameters");
            ParameterInfo info;
            info.name = p.name;
            info.type = p.type;
            if (p.type == TypeName::Texture) {
                if (p.init) return Fail(p.line, p.column, "a texture has no initial value");
                info.texture = out_.textures++;
            } else {
                info.slot = uint16_t(out_.uniforms.size());
                std::vector<float> init(size_t(ComponentsOf(p.type)), 0.0f);
                if (p.init && !Constant(*p.init, p.type, init)) return false;
                out_.uniforms.insert(out_.uniforms.end(), init.begin(), init.end());
            }
            out_.parameters.push_back(info);
        }
        return true;
    }

    bool Techniques(const EffectSource& source)
    {
        if (source.techniques.empty()) return Fail(1, 1, "the effect has no technique");
        for (const Technique& t : source.techniques) {
            for (const TechniqueProgram& other : out_.techniques)
                if (other.name == t.name) return Fail(t.line, t.column, "technique '" + t.name + "' is defined twice");
            out_.techniques.emplace_back();
            if (!TechniqueBody(t, out_.techniques.back())) return false;
        }
        return true;
    }

private:
    bool Fail(int line, int column, const std::string& message)
    {
        error_ = {line, column, message};
        return false;
    }
    bool Fail(const Node& n, const std::string& message) { return Fail(n.line, n.column, message); }

    bool Defined(const std::string& name) const
    {
        if (name == "uv" || name == "pos" || name == "size") return true;
        for (const ParameterInfo& p : out_.parameters)
            if (p.name == name) return true;
        return false;
    }

    // ------------------------------------------------ constants
    // Initial values of parameters: numbers, constructors, signs and the
    // four arithmetic operations.
    bool Constant(const Node& n, TypeName type, std::vector<float>& out)
    {
        std::vector<float> v;
        if (!ConstantValue(n, v, 0)) return false;
        const size_t want = size_t(ComponentsOf(type));
        if (v.size() == 1 && want > 1 && want <= 4) v.assign(want, v[0]);
        if (v.size() != want)
            return Fail(n, std::string("the initial value does not fit a ") + NameOf(type));
        out = v;
        return true;
    }
    bool ConstantValue(const Node& n, std::vector<float>& out, int depth)
    {
        if (depth > 64) return Fail(n, "initial value nested too deeply");
        switch (n.kind) {
        case Node::Kind::Number: out = {n.number}; return true;
        case Node::Kind::Unary:
            if (!ConstantValue(*n.args[0], out, depth + 1)) return false;
            for (float& f : out) f = -f;
            return true;
        case Node::Kind::Binary: {
            std::vector<float> a, b;
            if (!ConstantValue(*n.args[0], a, depth + 1) || !ConstantValue(*n.args[1], b, depth + 1)) return false;
            if (a.size() != b.size() && a.size() != 1 && b.size() != 1) return Fail(n, "sizes do not match");
            out.assign(std::max(a.size(), b.size()), 0.0f);
            for (size_t i = 0; i < out.size(); ++i) {
                const float x = a[a.size() == 1 ? 0 : i], y = b[b.size() == 1 ? 0 : i];
                out[i] = n.op == '+' ? x + y : n.op == '-' ? x - y : n.op == '*' ? x * y : x / y;
            }
            return true;
        }
        case Node::Kind::Call: {
            const int size = ComponentsOf(TypeFromName(n.text));
            if (size < 1) return Fail(n, "an initial value may only use numbers and constructors");
            out.clear();
            for (const auto& arg : n.args) {
                std::vector<float> part;
                if (!ConstantValue(*arg, part, depth + 1)) return false;
                out.insert(out.end(), part.begin(), part.end());
            }
            if (out.size() == 1 && size > 1) out.assign(size_t(size), out[0]);
            if (int(out.size()) != size) return Fail(n, "'" + n.text + "' needs " + std::to_string(size) + " values");
            return true;
        }
        default: return Fail(n, "an initial value may only use numbers and constructors");
        }
    }
    static TypeName TypeFromName(const std::string& name)
    {
        if (name == "float") return TypeName::Float;
        if (name == "float2") return TypeName::Float2;
        if (name == "float3") return TypeName::Float3;
        if (name == "float4") return TypeName::Float4;
        return TypeName::None;
    }

    // ------------------------------------------------ emitting
    bool Room(const Node& n)
    {
        if (technique_->uniform.size() + technique_->pixel.size() >= kMaxInstructions ||
            out_.uniforms.size() >= kMaxSlots || technique_->registers >= kMaxSlots)
            return Fail(n, "the technique is too large");
        return true;
    }
    Operand Uniform(float value)
    {
        out_.uniforms.push_back(value);
        return Operand{uint16_t(out_.uniforms.size() - 1), false};
    }
    Operand NewResult(bool varying)
    {
        if (varying) return Operand{technique_->registers++, true};
        out_.uniforms.push_back(0.0f);
        return Operand{uint16_t(out_.uniforms.size() - 1), false};
    }
    Operand Emit(Op op, Operand a, Operand b = {}, Operand c = {}, int args = 2)
    {
        const bool varying = a.varying || (args > 1 && b.varying) || (args > 2 && c.varying);
        Instr in;
        in.op = op;
        in.a = a;
        in.b = b;
        in.c = c;
        const Operand r = NewResult(varying);
        in.dst = r.index;
        (varying ? technique_->pixel : technique_->uniform).push_back(in);
        return r;
    }

    // ------------------------------------------------ techniques
    bool TechniqueBody(const Technique& t, TechniqueProgram& program)
    {
        technique_ = &program;
        program.name = t.name;
        locals_.clear();
        bool returned = false;
        for (const Statement& s : t.body) {
            if (returned) return Fail(s.line, s.column, "nothing may follow the return");
            Value v;
            if (!Expression(*s.value, v)) return false;
            if (s.kind == Statement::Kind::Return) {
                if (!Output(*s.value, v)) return false;
                returned = true;
            } else if (!Bind(s, v)) {
                return false;
            }
        }
        if (!returned) return Fail(t.line, t.column, "technique '" + t.name + "' has no return");
        return true;
    }

    bool Output(const Node& n, const Value& v)
    {
        if (v.type != TypeName::Float3 && v.type != TypeName::Float4)
            return Fail(n, std::string("a technique returns a float4 colour, not a ") + NameOf(v.type));
        for (int i = 0; i < 3; ++i) technique_->out[i] = v.c[size_t(i)];
        technique_->out[3] = v.type == TypeName::Float4 ? v.c[3] : Uniform(1.0f);
        return true;
    }

    bool Bind(const Statement& s, Value v)
    {
        auto it = locals_.find(s.name);
        if (s.kind == Statement::Kind::Declare) {
            if (it != locals_.end() || Defined(s.name))
                return Fail(s.line, s.column, "'" + s.name + "' is defined twice");
            if (!Fit(*s.value, s.type, v)) return false;
            locals_[s.name] = v;
            return true;
        }
        if (it == locals_.end()) {
            if (Defined(s.name)) return Fail(s.line, s.column, "'" + s.name + "' cannot be changed");
            return Fail(s.line, s.column, "unknown name '" + s.name + "'");
        }
        if (s.op != '=') {
            Value sum;
            if (!Arithmetic(*s.value, s.op, it->second, v, sum)) return false;
            v = sum;
        }
        if (!Fit(*s.value, it->second.type, v)) return false;
        it->second = v;
        return true;
    }

    // A value made to fit a declared type: equal, or a float spread out.
    bool Fit(const Node& n, TypeName type, Value& v)
    {
        if (v.type == type) return true;
        if (v.type == TypeName::Float && IsFloat(type)) {
            for (int i = 1; i < ComponentsOf(type); ++i) v.c[size_t(i)] = v.c[0];
            v.type = type;
            return true;
        }
        return Fail(n, std::string("a ") + NameOf(v.type) + " does not fit a " + NameOf(type));
    }

    // ------------------------------------------------ expressions
    bool Expression(const Node& n, Value& out)
    {
        if (!Room(n)) return false;
        switch (n.kind) {
        case Node::Kind::Number:
            out.type = TypeName::Float;
            out.c[0] = Uniform(n.number);
            return true;
        case Node::Kind::Name: return Name(n, out);
        case Node::Kind::Member: return Member(n, out);
        case Node::Kind::Unary: {
            Value a;
            if (!Expression(*n.args[0], a)) return false;
            if (!IsFloat(a.type)) return Fail(n, std::string("cannot negate a ") + NameOf(a.type));
            out.type = a.type;
            for (int i = 0; i < a.Size(); ++i) out.c[size_t(i)] = Emit(Op::Neg, a.c[size_t(i)], {}, {}, 1);
            return true;
        }
        case Node::Kind::Binary: {
            Value a, b;
            if (!Expression(*n.args[0], a) || !Expression(*n.args[1], b)) return false;
            return Arithmetic(n, n.op, a, b, out);
        }
        case Node::Kind::Call: return Call(n, out);
        }
        return Fail(n, "unexpected expression");
    }

    bool Name(const Node& n, Value& out)
    {
        if (auto it = locals_.find(n.text); it != locals_.end()) {
            out = it->second;
            return true;
        }
        if (n.text == "uv" || n.text == "pos") {
            const bool uv = n.text == "uv";
            out.type = TypeName::Float2;
            out.c[0] = Operand{uv ? REG_U : REG_X, true};
            out.c[1] = Operand{uv ? REG_V : REG_Y, true};
            return true;
        }
        if (n.text == "size") {
            out.type = TypeName::Float2;
            out.c[0] = Operand{SLOT_WIDTH, false};
            out.c[1] = Operand{SLOT_HEIGHT, false};
            return true;
        }
        for (const ParameterInfo& p : out_.parameters) {
            if (p.name != n.text) continue;
            out.type = p.type;
            out.texture = p.texture;
            for (int i = 0; i < ComponentsOf(p.type); ++i) out.c[size_t(i)] = Operand{uint16_t(p.slot + i), false};
            return true;
        }
        return Fail(n, "unknown name '" + n.text + "'");
    }

    bool Member(const Node& n, Value& out)
    {
        Value v;
        if (!Expression(*n.args[0], v)) return false;
        if (!IsFloat(v.type)) return Fail(n, std::string("a ") + NameOf(v.type) + " has no components");
        const std::string& letters = n.text;
        if (letters.empty() || letters.size() > 4) return Fail(n, "'" + letters + "' names no components");
        const bool colour = std::string("rgba").find(letters[0]) != std::string::npos;
        const std::string set = colour ? "rgba" : "xyzw";
        out.type = FloatType(int(letters.size()));
        for (size_t i = 0; i < letters.size(); ++i) {
            const size_t k = set.find(letters[i]);
            if (k == std::string::npos || int(k) >= v.Size())
                return Fail(n, "'" + letters + "' names components a " + NameOf(v.type) + " does not have");
            out.c[i] = v.c[k];
        }
        return true;
    }

    // Component by component; a float on either side meets every component.
    bool Combine(const Node& n, const std::vector<Value>& args, Op op, Value& out)
    {
        int size = 1;
        for (const Value& a : args) {
            if (!IsFloat(a.type)) return Fail(n, std::string("a ") + NameOf(a.type) + " cannot be used here");
            if (a.Size() != 1) {
                if (size != 1 && a.Size() != size)
                    return Fail(n, std::string("a ") + NameOf(FloatType(size)) + " and a " + NameOf(a.type) +
                                       " cannot be combined");
                size = a.Size();
            }
        }
        out.type = FloatType(size);
        for (int i = 0; i < size; ++i) {
            Operand o[3];
            for (size_t k = 0; k < args.size(); ++k) o[k] = args[k].c[args[k].Size() == 1 ? 0 : size_t(i)];
            out.c[size_t(i)] = Emit(op, o[0], o[1], o[2], int(args.size()));
        }
        return true;
    }

    bool Arithmetic(const Node& n, char op, const Value& a, const Value& b, Value& out)
    {
        const Op code = op == '+' ? Op::Add : op == '-' ? Op::Sub : op == '*' ? Op::Mul : Op::Div;
        return Combine(n, {a, b}, code, out);
    }

    bool Arguments(const Node& n, std::vector<Value>& args, size_t count)
    {
        if (n.args.size() != count)
            return Fail(n, "'" + n.text + "' takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s"));
        args.resize(count);
        for (size_t i = 0; i < count; ++i)
            if (!Expression(*n.args[i], args[i])) return false;
        return true;
    }

    Operand Dot(const Value& a, const Value& b)
    {
        Operand sum = Emit(Op::Mul, a.c[0], b.c[0]);
        for (int i = 1; i < a.Size(); ++i) sum = Emit(Op::Add, sum, Emit(Op::Mul, a.c[size_t(i)], b.c[size_t(i)]));
        return sum;
    }

    bool Call(const Node& n, Value& out)
    {
        if (TypeName t = TypeFromName(n.text); t != TypeName::None) return Construct(n, t, out);
        for (const Elementwise& e : kElementwise) {
            if (n.text != e.name) continue;
            std::vector<Value> args;
            return Arguments(n, args, size_t(e.args)) && Combine(n, args, e.op, out);
        }
        std::vector<Value> args;
        if (n.text == "saturate") {
            if (!Arguments(n, args, 1)) return false;
            Value lo, hi;
            lo.type = hi.type = TypeName::Float;
            lo.c[0] = Uniform(0.0f);
            hi.c[0] = Uniform(1.0f);
            return Combine(n, {args[0], lo, hi}, Op::Clamp, out);
        }
        if (n.text == "dot" || n.text == "distance") {
            if (!Arguments(n, args, 2)) return false;
            if (!IsFloat(args[0].type) || args[0].type != args[1].type)
                return Fail(n, "'" + n.text + "' takes two values of one size");
            out.type = TypeName::Float;
            if (n.text == "dot") {
                out.c[0] = Dot(args[0], args[1]);
                return true;
            }
            Value d;
            if (!Combine(n, args, Op::Sub, d)) return false;
            out.c[0] = Emit(Op::Sqrt, Dot(d, d), {}, {}, 1);
            return true;
        }
        if (n.text == "length" || n.text == "normalize") {
            if (!Arguments(n, args, 1)) return false;
            if (!IsFloat(args[0].type)) return Fail(n, "'" + n.text + "' takes a vector");
            const Operand length = Emit(Op::Sqrt, Dot(args[0], args[0]), {}, {}, 1);
            if (n.text == "length") {
                out.type = TypeName::Float;
                out.c[0] = length;
                return true;
            }
            Value l;
            l.type = TypeName::Float;
            l.c[0] = length;
            return Combine(n, {args[0], l}, Op::Div, out);
        }
        if (n.text == "mul") return Multiply(n, out);
        if (n.text == "tex2D") return Sample(n, out);
        return Fail(n, "unknown function '" + n.text + "'");
    }

    bool Construct(const Node& n, TypeName type, Value& out)
    {
        out.type = type;
        const int size = ComponentsOf(type);
        int at = 0;
        for (const auto& arg : n.args) {
            Value v;
            if (!Expression(*arg, v)) return false;
            if (!IsFloat(v.type)) return Fail(*arg, std::string("a ") + NameOf(v.type) + " cannot be used here");
            for (int i = 0; i < v.Size(); ++i) {
                if (at >= size) return Fail(n, "too many values for a " + n.text);
                out.c[size_t(at++)] = v.c[size_t(i)];
            }
        }
        if (at == 1 && size > 1) {
            for (int i = 1; i < size; ++i) out.c[size_t(i)] = out.c[0];
            at = size;
        }
        if (at != size) return Fail(n, "a " + n.text + " needs " + std::to_string(size) + " values");
        return true;
    }

    // A row vector times a matrix: out j = sum over i of v i x m (i, j).
    bool Multiply(const Node& n, Value& out)
    {
        std::vector<Value> args;
        if (!Arguments(n, args, 2)) return false;
        if (args[0].type != TypeName::Float4 || args[1].type != TypeName::Matrix)
            return Fail(n, "'mul' takes a float4 and a float4x4");
        out.type = TypeName::Float4;
        for (size_t j = 0; j < 4; ++j) {
            Operand sum = Emit(Op::Mul, args[0].c[0], args[1].c[j]);
            for (size_t i = 1; i < 4; ++i) sum = Emit(Op::Add, sum, Emit(Op::Mul, args[0].c[i], args[1].c[i * 4 + j]));
            out.c[j] = sum;
        }
        return true;
    }

    bool Sample(const Node& n, Value& out)
    {
        std::vector<Value> args;
        if (!Arguments(n, args, 2)) return false;
        if (args[0].type != TypeName::Texture || args[1].type != TypeName::Float2)
            return Fail(n, "'tex2D' takes a texture and a float2");
        const bool varying = args[1].c[0].varying || args[1].c[1].varying;
        Instr in;
        in.op = Op::Sample;
        in.a = args[1].c[0];
        in.b = args[1].c[1];
        in.texture = args[0].texture;
        out.type = TypeName::Float4;
        for (size_t k = 0; k < 4; ++k) out.c[k] = NewResult(varying);
        in.dst = out.c[0].index;
        for (size_t k = 0; k < 3; ++k) in.more[k] = out.c[k + 1].index;
        (varying ? technique_->pixel : technique_->uniform).push_back(in);
        return true;
    }

    CompiledEffect& out_;
    SourceError& error_;
    TechniqueProgram* technique_ = nullptr;
    std::map<std::string, Value> locals_;
};

// Lane registers reused once their last reader has run: the pixel program
// keeps few lanes live, so they stay in the fastest cache.
void ReuseRegisters(TechniqueProgram& t)
{
    const size_t count = t.registers;
    std::vector<size_t> lastUse(count, 0);
    auto reads = [](const Instr& in, auto&& f) {
        if (in.a.varying) f(in.a.index);
        if (in.b.varying) f(in.b.index);
        if (in.c.varying) f(in.c.index);
    };
    for (size_t i = 0; i < t.pixel.size(); ++i) reads(t.pixel[i], [&](uint16_t r) { lastUse[r] = i; });
    for (const Operand& o : t.out)
        if (o.varying) lastUse[o.index] = t.pixel.size();
    std::vector<uint16_t> map(count);
    for (uint16_t r = 0; r < REG_INPUTS; ++r) map[r] = r;
    std::vector<uint16_t> free;
    uint16_t next = REG_INPUTS;
    auto allocate = [&] {
        if (free.empty()) return next++;
        const uint16_t r = free.back();
        free.pop_back();
        return r;
    };
    for (size_t i = 0; i < t.pixel.size(); ++i) {
        Instr& in = t.pixel[i];
        std::vector<uint16_t> done;
        reads(in, [&](uint16_t r) {
            if (lastUse[r] == i && r >= REG_INPUTS) done.push_back(r);
        });
        for (Operand* o : {&in.a, &in.b, &in.c})
            if (o->varying) o->index = map[o->index];
        // Inputs read for the last time free their lanes first: every kernel
        // reads a lane before it writes it.
        std::sort(done.begin(), done.end());
        done.erase(std::unique(done.begin(), done.end()), done.end());
        for (uint16_t r : done) free.push_back(map[r]);
        const uint16_t old = in.dst;
        in.dst = map[old] = allocate();
        if (lastUse[old] < i) free.push_back(in.dst);  // a result nobody reads
        if (in.op == Op::Sample)
            for (uint16_t& m : in.more) {
                const uint16_t was = m;
                m = map[was] = allocate();
                if (lastUse[was] < i) free.push_back(m);
            }
    }
    for (Operand& o : t.out)
        if (o.varying) o.index = map[o.index];
    t.registers = next;
}

}  // namespace

bool CompileEffectSource(const EffectSource& source, CompiledEffect& out, SourceError& error)
{
    out = CompiledEffect();
    Compiler compiler(out, error);
    if (!compiler.Parameters(source) || !compiler.Techniques(source)) return false;
    for (TechniqueProgram& t : out.techniques) ReuseRegisters(t);
    return true;
}

}  // namespace plat::softgpu::fx
