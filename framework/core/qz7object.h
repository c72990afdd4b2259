// The framework's owning base class and its bound methods: what every other
// part of the core (the event bus among them) builds on.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

// ---------------------------------------------------------------- methods
// A method bound to its object. Two bound methods are equal only when both
// the method and the object are the same, so subscriptions of one instance
// never match another's.
template <class Sig> class TQZMethod;

template <class R, class... A> class TQZMethod<R(A...)> {
public:
    using Thunk = R (*)(void*, A...);

    TQZMethod() = default;

    template <auto M, class C> static TQZMethod Bind(C* object)
    {
        TQZMethod m;
        m.object_ = object;
        m.thunk_ = &Call<M, C>;
        m.tag_ = &Tag<M, C>::id;
        return m;
    }

    R operator()(A... args) const { return thunk_(object_, std::forward<A>(args)...); }
    explicit operator bool() const { return thunk_ != nullptr; }
    bool operator==(const TQZMethod& o) const { return object_ == o.object_ && tag_ == o.tag_; }
    bool SameMethod(const TQZMethod& o) const { return tag_ == o.tag_; }
    void* Object() const { return object_; }

private:
    template <auto M, class C> struct Tag { static constexpr char id = 0; };
    template <auto M, class C> static R Call(void* o, A... args)
    {
        return (static_cast<C*>(o)->*M)(std::forward<A>(args)...);
    }

    void* object_ = nullptr;
    Thunk thunk_ = nullptr;
    const void* tag_ = nullptr;  // identity of the method; thunks may be folded
};

namespace qz7detail {
template <class T> struct MethodSig;
template <class C, class R, class... A> struct MethodSig<R (C::*)(A...)> { using type = R(A...); };
template <class C, class R, class... A> struct MethodSig<R (C::*)(A...) const> { using type = R(A...); };
}  // namespace qz7detail

// MakeMethod<&TFoo::Bar>(foo) binds foo's Bar.
template <auto M, class C> auto MakeMethod(C* object)
{
    using Sig = typename qz7detail::MethodSig<decltype(M)>::type;
    return TQZMethod<Sig>::template Bind<M, C>(object);
}

// ---------------------------------------------------------------- classes
// Base class of the framework: owns the objects added to it and frees them,
// last added first, when it is destroyed.
class TQZClass {
public:
    TQZClass() = default;
    virtual ~TQZClass();
    TQZClass(const TQZClass&) = delete;
    TQZClass& operator=(const TQZClass&) = delete;

    // Takes ownership of the object.
    void AddOwned(TQZClass* object);
    template <class T> T* AddOwned(std::unique_ptr<T> object)
    {
        T* raw = object.release();
        AddOwned(static_cast<TQZClass*>(raw));
        return raw;
    }
    void AddOwnedArray(std::initializer_list<TQZClass*> objects);
    // Gives up ownership without freeing: the last owned object takes the
    // removed one's place. False when the object was not owned.
    bool RemoveOwned(TQZClass* object);
    void FreeOwned();

    size_t OwnedCount() const { return owned_.size(); }
    TQZClass* OwnedAt(size_t index) const { return owned_[index]; }

private:
    std::vector<TQZClass*> owned_;
};
