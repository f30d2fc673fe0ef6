#pragma once

#include <QtPlugin>

// Lets the calculator show a button pressed while its key is held, without the
// button becoming latched.
class ILigthOnOff
{
public:
    virtual ~ILigthOnOff() = default;
    virtual void LightOn() = 0;
    virtual void LightOff() = 0;
};

#define ILigthOnOff_iid "PomuZenit.ILigthOnOff/{55B974C0-B138-11D5-B8A6-0090997D714F}"
Q_DECLARE_INTERFACE(ILigthOnOff, ILigthOnOff_iid)
