// The other side of the import benchmark: Debian's assimp reading one file with no
// post-processing, in a process of its own so that its time and peak memory are measured
// like the converter's. Built only when libassimp-dev is installed; never part of the program.
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(argv[1], 0);
    if (!scene) {
        std::fprintf(stderr, "%s\n", importer.GetErrorString());
        return 1;
    }
    unsigned faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) faces += scene->mMeshes[i]->mNumFaces;
    std::printf("%u faces\n", faces);
    return 0;
}
