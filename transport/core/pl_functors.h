#pragma once
// Call-back functors through which every layer calls into its owner. A functor
// holds a non-owned target object and one of its member functions; the target
// must outlive every call.

template <typename R>
class PlNullaryFunction {
public:
    virtual ~PlNullaryFunction() = default;
    virtual R Invoke() = 0;
    R operator()() { return Invoke(); }
};

template <typename T, typename R>
class PlNullaryMemberFunction : public PlNullaryFunction<R> {
public:
    using Method = R (T::*)();
    PlNullaryMemberFunction(T* object, Method method) : object_(object), method_(method) {}
    R Invoke() override { return (object_->*method_)(); }

private:
    T* object_;
    Method method_;
};

template <typename T>
class PlVoidNullaryMemberFunction : public PlNullaryMemberFunction<T, void> {
public:
    using PlNullaryMemberFunction<T, void>::PlNullaryMemberFunction;
};

// The argument is taken by value: every call copies it (a CMsg is copied before
// the target sees it).
template <typename R, typename A>
class PlUnaryFunction {
public:
    virtual ~PlUnaryFunction() = default;
    virtual R Invoke(A argument) = 0;
    R operator()(A argument) { return Invoke(argument); }
};

template <typename T, typename R, typename A>
class PlUnaryMemberFunction : public PlUnaryFunction<R, A> {
public:
    using Method = R (T::*)(A);
    PlUnaryMemberFunction(T* object, Method method) : object_(object), method_(method) {}
    R Invoke(A argument) override { return (object_->*method_)(argument); }

private:
    T* object_;
    Method method_;
};

template <typename T, typename A>
class PlVoidUnaryMemberFunction : public PlUnaryMemberFunction<T, void, A> {
public:
    using PlUnaryMemberFunction<T, void, A>::PlUnaryMemberFunction;
};

template <typename R, typename A, typename B>
class PlBinaryFunction {
public:
    virtual ~PlBinaryFunction() = default;
    virtual R Invoke(A first, B second) = 0;
    R operator()(A first, B second) { return Invoke(first, second); }
};

template <typename T, typename R, typename A, typename B>
class PlBinaryMemberFunction : public PlBinaryFunction<R, A, B> {
public:
    using Method = R (T::*)(A, B);
    PlBinaryMemberFunction(T* object, Method method) : object_(object), method_(method) {}
    R Invoke(A first, B second) override { return (object_->*method_)(first, second); }

private:
    T* object_;
    Method method_;
};

template <typename T, typename A, typename B>
class PlVoidBinaryMemberFunction : public PlBinaryMemberFunction<T, void, A, B> {
public:
    using PlBinaryMemberFunction<T, void, A, B>::PlBinaryMemberFunction;
};
