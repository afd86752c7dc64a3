#pragma once

#include "runtime/base/FieldType.h"
#include "runtime/base/Value.h"

#include <cstddef>
#include <string>

namespace host {

// A reference to a variable of any type that carries the type, so that assignment
// converts and comparison compares values. It never owns the variable.
class TypedRef {
public:
    TypedRef() = default;
    TypedRef(void* address, FieldType type)
        : address_(static_cast<std::byte*>(address)), type_(type) {}

    bool isNull() const { return address_ == nullptr; }
    explicit operator bool() const { return address_ != nullptr; }
    std::byte* address() const { return address_; }
    const FieldType& type() const { return type_; }

    Value value() const;
    // Assigns with the host's conversion. Returns false when a number did not fit
    // the variable (a decimal saturates, an integer keeps its low bits, text is cut).
    bool assign(const Value& value) const;
    bool assign(const TypedRef& other) const;
    // Blank text, zero numbers, empty references.
    void clear() const;

    std::string text() const { return value().toText(); }
    long long integer() const { return value().toInteger(); }
    Decimal decimal() const { return value().toDecimal(); }

    // Value comparison: text ignoring trailing blanks, numbers by value.
    bool equals(const TypedRef& other) const { return value() == other.value(); }

    // For Reference fields: the reference stored in the variable.
    TypedRef referenced() const;
    void setReferenced(const TypedRef& target) const;

    // Identity: the same variable.
    bool sameVariable(const TypedRef& other) const { return address_ == other.address_; }

private:
    std::byte* address_ = nullptr;
    FieldType type_;
};

// A variable that owns its storage: a buffer, a private copy, a local.
class Variable {
public:
    explicit Variable(FieldType type = FieldType::longInteger());
    Variable(const Variable& other);
    Variable& operator=(const Variable& other);
    Variable(Variable&&) noexcept = default;
    Variable& operator=(Variable&&) noexcept = default;
    ~Variable();

    TypedRef ref() const { return TypedRef(const_cast<std::byte*>(storage_.data()), type_); }
    operator TypedRef() const { return ref(); }
    const FieldType& type() const { return type_; }
    Value value() const { return ref().value(); }
    bool assign(const Value& v) { return ref().assign(v); }

private:
    FieldType type_;
    std::basic_string<std::byte> storage_;
};

} // namespace host
