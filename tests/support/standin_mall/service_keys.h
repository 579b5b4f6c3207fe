#pragma once

// The applications that the stand-in's copy of the IchibaItem/Search service knows, shared by the
// stand-in and the tests.
namespace standin {

// An application of the API/backend type, with its access key.
inline constexpr const char* kApplicationId = "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";
inline constexpr const char* kAccessKey = "pk_StandInMallAccessKey0123456789abcdef";
// A web application (the same key): its requests must come with the registered site as Origin.
inline constexpr const char* kWebApplicationId = "9a8b7c6d-5e4f-3a2b-1c0d-e9f8a7b6c5d4";
inline constexpr const char* kWebApplicationSite = "https://kobanu.example";

// Where the stand-in answers as the IchibaItem/Search service: the path up to the version, and the
// versions.
inline constexpr const char* kServiceSearchPath = "/ichibams/api/IchibaItem/Search/";
inline constexpr const char* kSearchPath20260701 = "/ichibams/api/IchibaItem/Search/20260701";
inline constexpr const char* kSearchPath20260401 = "/ichibams/api/IchibaItem/Search/20260401";
inline constexpr const char* kSearchPath20220601 = "/ichibams/api/IchibaItem/Search/20220601";

}  // namespace standin
