// The class library's component error, raised when a component needs the
// form that owns it and has none ("NoForm").
#pragma once

#include <stdexcept>

class EComponentError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
