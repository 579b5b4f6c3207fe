#pragma once

#include <string>

// Readers of today's item-search service's JSON answers (formatVersion 2, and 1 as well). No
// input makes them throw: a body that is no such answer is a failure.

// Reads the answer's count. 0 with count set (0 and up); -1, with count -1, when the body holds
// no whole-number count within the int range.
int ReadCurrentCount(const std::string& body, int& count);

// Fills the hit table's first rows and hitCount (at most MaxHits) from the answer's Items, cells
// in code page 932 and the item's address where no affiliate address came. 0 on success; -1
// when an item lacks a field or has one of the wrong type, with the table and hitCount as they
// were. User-interface thread.
int ReadCurrentHitList(const std::string& body);

// What an error answer says: its "error" and "error_description", or the "errorCode" and
// "errorMessage" of its "errors"; empty texts when the body says neither.
struct ServiceError {
  std::string error;
  std::string description;
};
ServiceError ReadServiceError(const std::string& body);
