#pragma once

// The errors raised by the grid family and its sparse cell storage, with their fixed messages.

#include "platform/Errors.h"

namespace corvel {

/// A grid operation that cannot be carried out (an index out of range, a bad fixed count, ...).
class EInvalidGridOperation : public Exception {
public:
    using Exception::Exception;
};

/// A misuse of the sparse string list that stores a grid row's cells.
class EStringSparseListError : public Exception {
public:
    using Exception::Exception;
};

namespace GridMessages {
inline constexpr const char* IndexOutOfRange = "Grid index out of range";
inline constexpr const char* TooManyDeleted = "Too many rows or columns deleted";
inline constexpr const char* GridTooLarge = "Grid too large for operation";
inline constexpr const char* FixedColTooBig = "Fixed column count must be less than column count";
inline constexpr const char* FixedRowTooBig = "Fixed row count must be less than row count";
inline constexpr const char* CannotInsertDelete = "Cannot insert or delete rows from grid";
/// "%d" stands for the offending index.
inline constexpr const char* ListIndexError = "List index out of bounds (%d)";
inline constexpr const char* PutObjectError = "PutObject to undefined item";
} // namespace GridMessages

} // namespace corvel
