// BSTR helpers: conversion from multibyte text, the comparison the library
// uses for names and values, and concatenation. Failures raise CAtlException.
#pragma once

#include "filtercore/errors.h"
#include "platform/bstr.h"

// A new BSTR from text in the thread's ANSI code page; null for a null text.
// Allocation failure raises CAtlException(E_OUTOFMEMORY).
BSTR MultibyteToBstr(const char* text);

// Names and values (features, parameters, root elements, media) compare with
// the user-default locale comparison; only VARCMP_EQ counts as equal.
bool BstrEquals(BSTR left, BSTR right);

// Appends text to *target (which may be null) with VarBstrCat; a failure
// raises CAtlException with its HRESULT and leaves *target as it was.
void BstrAppend(BSTR* target, BSTR text);
