// A value held with its range, MIN to MAX; the range is documentation, not a check.
#pragma once

#include "../../H/CallObject.h"

template <class T, int MIN, int MAX>
class CALLCOMMONSVC_API CCallState : public CCallObject {
public:
    CCallState() {}
    CCallState(T value) : m_value(value) {}

    T Get() const { return m_value; }
    T operator()() const { return m_value; }

    CCallState& operator=(T value) {
        m_value = value;
        return *this;
    }

    bool operator==(const CCallState& other) const { return m_value == other.m_value; }
    bool operator!=(const CCallState& other) const { return m_value != other.m_value; }

private:
    T m_value;
};
