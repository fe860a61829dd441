// Everything Sloshmere.asi must not be, so the portability check can be seen
// to reject it: built with -mavx2 -mfma -mbmi -mbmi2 -mlzcnt and linked
// without ASLR, high-entropy addresses or NX (see CMakeLists.txt).
#include <immintrin.h>

#include <cstdint>

extern "C" __declspec(dllexport) void fusedMultiplyAdd(const float* a, const float* b, float* c) {
    _mm256_storeu_ps(c,
                     _mm256_fmadd_ps(_mm256_loadu_ps(a), _mm256_loadu_ps(b), _mm256_loadu_ps(c)));
}

extern "C" __declspec(dllexport) void addIntegers(const int* a, int* b) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(b), _mm256_add_epi32(x, y));
}

extern "C" __declspec(dllexport) std::uint64_t
    scatterBits(std::uint64_t x, std::uint64_t mask, unsigned keep) {
    return _pdep_u64(x, mask) ^ _bzhi_u64(x, keep) ^ _andn_u64(x, mask) ^ _lzcnt_u64(x);
}
