#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

// EXPECT_THROW_MSG(statement, Type, "exact text"): the statement throws Type (or a type
// derived from it) whose what() is exactly the text. Another exception escapes to the test.
#define EXPECT_THROW_MSG(statement, ExceptionType, expected)                                     \
  do {                                                                                           \
    std::optional<std::string> zamoThrownText;                                                   \
    try {                                                                                        \
      statement;                                                                                 \
    } catch (const ExceptionType& zamoThrown) {                                                  \
      zamoThrownText = zamoThrown.what();                                                        \
    }                                                                                            \
    if (zamoThrownText) {                                                                        \
      EXPECT_EQ(*zamoThrownText, expected);                                                      \
    } else {                                                                                     \
      ADD_FAILURE() << "Expected: " #statement " throws " #ExceptionType "\n  Actual: no error"; \
    }                                                                                            \
  } while (false)

// The same for a ZamoError as the user sees it: Describe(), with file, line and column.
#define EXPECT_THROW_DESCRIBED(statement, ExceptionType, expected)                               \
  do {                                                                                           \
    std::optional<std::string> zamoDescribed;                                                    \
    try {                                                                                        \
      statement;                                                                                 \
    } catch (const ExceptionType& zamoThrown) {                                                  \
      zamoDescribed = zamoThrown.Describe();                                                     \
    }                                                                                            \
    if (zamoDescribed) {                                                                         \
      EXPECT_EQ(*zamoDescribed, expected);                                                       \
    } else {                                                                                     \
      ADD_FAILURE() << "Expected: " #statement " throws " #ExceptionType "\n  Actual: no error"; \
    }                                                                                            \
  } while (false)
