#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <initializer_list>
#include <pthread.h>
#include <strings.h>
#include <tuple>

#include "common/ScratchLocale.h"
#include "scene/LwsScene.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

void ExpectVector(const Vector3& v, float x, float y, float z, float tolerance = 1e-6f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

void ExpectTranslation(const Matrix4& m, float x, float y, float z) {
    ExpectVector(Vector3(m[12], m[13], m[14]), x, y, z, 1e-5f);
}

// A channel with one key of three values outputs them at every time.
KeyChannel* ConstantChannel(SceneGraph& g, float x, float y, float z) {
    auto* c = new KeyChannel;
    c->Init(3);
    ChannelKey* k = c->NewKey();
    k->values = {x, y, z};
    c->InsertKey(k);
    g.AddChannel(c);
    return c;
}

template <typename T>
T* Add(SceneGraph& g, SceneNode* parent = nullptr) {
    auto* n = new T;
    g.AddNode(n);
    if (parent)
        n->SetParent(parent);
    else
        g.AddRoot(n);
    return n;
}

TEST(Transform, LocalMatrixIsRotationThenTranslationThenScaleUnderTheParent) {
    SceneGraph g;
    auto* h = Add<HelperNode>(g);
    h->position = Vector3(1, 2, 3);
    g.Animate(0);
    ExpectTranslation(h->matrix, 1, 2, 3);
    h->scale = Vector3(2, 2, 2);  // scale comes after translation: it scales the offset too
    g.Animate(0);
    ExpectTranslation(h->matrix, 2, 4, 6);

    // Rotation comes first, so it turns the axes without moving the origin (+x goes to +y).
    h->scale = Vector3(1, 1, 1);
    h->rotation.z = static_cast<float>(M_PI / 2);
    g.Animate(0);
    ExpectTranslation(h->matrix, 1, 2, 3);
    EXPECT_NEAR(h->matrix[1], 1.0f, 1e-6f);

    SceneGraph tree;
    auto* parent = Add<HelperNode>(tree);
    auto* child = Add<Mesh>(tree, parent);
    auto* grandchild = Add<HelperNode>(tree, child);
    parent->position = Vector3(5, 0, 0);
    child->position = Vector3(0, 1, 0);
    grandchild->position = Vector3(0, 0, 1);
    tree.Animate(0);
    ExpectTranslation(child->matrix, 5, 1, 0);
    ExpectTranslation(grandchild->matrix, 5, 1, 1);
    parent->scale = Vector3(3, 3, 3);
    tree.Animate(0);
    ExpectTranslation(child->matrix, 15, 3, 0);
}

TEST(Transform, MaterialsStopThePassAndFlaresOnlyTranslate) {
    SceneGraph g;
    auto* root = Add<HelperNode>(g);
    auto* material = Add<Material>(g, root);
    auto* under = Add<HelperNode>(g, material);
    auto* flare = Add<LensFlare>(g, root);
    root->position = Vector3(0, 0, 10);
    material->matrix[12] = 42;
    under->matrix[12] = 42;
    under->position = Vector3(1, 1, 1);
    flare->position = Vector3(1, 2, 3);
    flare->scale = Vector3(3, 3, 3);
    flare->rotation.x = 0.7f;
    flare->rotation.y = -1.1f;
    g.Animate(0);
    EXPECT_EQ(std::pair(material->matrix[12], under->matrix[12]), std::pair(42.0f, 42.0f));
    Matrix4 expected = kIdentityMatrix;
    expected[12] = 1, expected[13] = 2, expected[14] = 13;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(flare->matrix[i], expected[i], 1e-6f) << i;
}

TEST(Transform, DetachedOrKeylessChannelsLeaveTheOwnersValues) {
    SceneGraph g;
    auto* h = Add<HelperNode>(g);
    h->SetPositionChannel(ConstantChannel(g, 7, 8, 9));
    h->SetRotationChannel(ConstantChannel(g, 0.1f, 0.2f, 0.3f));
    h->SetScaleChannel(ConstantChannel(g, 4, 4, 4));
    g.Animate(5);
    EXPECT_EQ(std::tie(h->position.y, h->rotation.z, h->scale.x), std::make_tuple(8.0f, 0.3f, 4.0f));

    h->SetPositionChannel(nullptr);
    h->SetRotationChannel(nullptr);
    auto* empty = new KeyChannel;  // a channel without keys must not zero the scale
    empty->Init(3);
    g.AddChannel(empty);
    h->SetScaleChannel(empty);
    h->position = Vector3(-1, -2, -3);
    h->rotation.x = 0.5f;
    h->scale = Vector3(0.5f, 0.25f, 2);
    for (float t : {0.0f, 100.0f}) {
        g.Animate(t);
        EXPECT_EQ(h->rotation.z, 0.3f);
        ExpectTranslation(h->matrix, -0.5f, -0.5f, -6.0f);  // the position and scale set by hand
    }
}

TEST(Transform, CameraLooksAtItsTargetsOwnPosition) {
    SceneGraph g;
    auto* cam = Add<Camera>(g);
    auto* mover = Add<HelperNode>(g);
    auto* target = Add<HelperNode>(g, mover);
    cam->SetTarget(target);
    cam->position = Vector3(0, 0, -10);
    g.Animate(0);
    ExpectTranslation(cam->matrix, 0, 0, 10);  // the origin lies 10 ahead
    ExpectTranslation(cam->inverseMatrix, 0, 0, -10);

    // Moving the target's parent moves its world position, not its position field.
    const Matrix4 before = cam->matrix;
    mover->position = Vector3(50, 0, 0);
    g.Animate(0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cam->matrix[i], before[i]);

    cam->rotation.z = static_cast<float>(M_PI / 2);  // roll tilts the camera's x axis into y
    g.Animate(0);
    EXPECT_NEAR(std::fabs(cam->matrix[1]), 1.0f, 1e-5f);

    cam->position = Vector3(0, 0, 0);  // eye on the target: no line of sight, still finite
    g.Animate(0);
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(cam->matrix[i]) && std::isfinite(cam->inverseMatrix[i]));
}

TEST(Transform, CameraWithoutTargetKeepsTheOwnersViewAndFollowsWithItsInverse) {
    SceneGraph g;
    auto* cam = Add<Camera>(g);
    auto* child = Add<HelperNode>(g, cam);
    cam->matrix.SetRotationAngles(0, 0.5f, 0);
    cam->matrix[12] = 3;
    cam->position = Vector3(100, 100, 100);  // not used without a target
    const Matrix4 view = cam->matrix;
    g.Animate(0);
    g.Animate(1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cam->matrix[i], view[i]);
    Matrix4 product;
    product.Multiply(cam->matrix, cam->inverseMatrix);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], kIdentityMatrix[i], 1e-5f) << i;
    ExpectTranslation(child->matrix, 3, 0, 0);  // children sit in the view matrix

    // A singular view has no inverse: the last good one stays rather than garbage.
    const Matrix4 inverse = cam->inverseMatrix;
    cam->matrix = Matrix4{};
    g.Animate(2);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cam->inverseMatrix[i], inverse[i]);
}

TEST(Hierarchy, LinksChildrenAndRefusesLoops) {
    HelperNode a, b, c;
    EXPECT_TRUE(b.SetParent(&a));
    EXPECT_TRUE(c.SetParent(&b));
    EXPECT_EQ(a.GetChild(0), &b);
    for (int i : {-1, 1}) EXPECT_EQ(a.GetChild(i), nullptr) << i;
    // A loop would send the transform pass round for ever.
    EXPECT_FALSE(a.SetParent(&c));
    EXPECT_FALSE(a.SetParent(&a));
    EXPECT_FALSE(b.AddChild(&a));
    EXPECT_EQ(a.GetParent(), nullptr);
    // Reparenting leaves the node listed under its old parent too.
    EXPECT_TRUE(c.SetParent(&a));
    EXPECT_EQ(std::pair(a.GetChildCount(), b.GetChildCount()), std::pair(2, 1));
}

// Runs body on a thread whose stack is far smaller than a deep hierarchy would need if it were
// walked by recursion.
void OnSmallStack(void (*body)()) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 512 * 1024);
    pthread_t thread;
    auto run = [](void* f) -> void* {
        reinterpret_cast<void (*)()>(f)();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, reinterpret_cast<void*>(body)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST(Hierarchy, NestingDeeperThanTheStackStillTransforms) {
    OnSmallStack([] {
        SceneGraph g;
        SceneNode* parent = Add<HelperNode>(g);
        constexpr int kDepth = 100000;
        for (int i = 1; i < kDepth; ++i) {
            parent = Add<HelperNode>(g, parent);
            parent->position = Vector3(0, 1, 0);
        }
        g.Animate(0);
        EXPECT_EQ(parent->matrix[13], static_cast<float>(kDepth - 1));
        EXPECT_FALSE(g.GetRoot(0)->SetParent(parent));  // the loop check walks the same depth
    });
}

TEST(Lists, RefuseNullAndFindByNameIgnoringCase) {
    SceneGraph g;
    EXPECT_FALSE(g.AddMesh(nullptr));
    auto* m1 = Add<Mesh>(g);
    auto* m2 = Add<Mesh>(g);
    EXPECT_EQ(g.GetNode(2), nullptr);
    EXPECT_EQ(g.FindNode("DEFAULT_MESH"), m1);  // first match wins
    EXPECT_EQ(g.FindNode(nullptr), nullptr);
    EXPECT_FALSE(m1->SetName(nullptr));
    EXPECT_TRUE(m1->SetName("hull"));
    EXPECT_EQ(g.FindNode("default_mesh"), m2);
}

// Under a Turkish locale strcasecmp folds 'I' to a dotless i, so "LIGHT_PIVOT" and "Light_Pivot"
// differ there; the data's names are ASCII and must match whatever locale the user runs.
TEST(Lists, NameLookupsIgnoreATurkishLocale) {
    test::ScratchLocale turkish("tr_TR");
    if (!turkish.Select(LC_CTYPE)) GTEST_SKIP() << "cannot build or load tr_TR here";
    EXPECT_NE(strcasecmp("LIGHT_PIVOT", "Light_Pivot"), 0) << "the locale should really change strcasecmp";
    SceneGraph g;
    auto* pivot = Add<HelperNode>(g);
    pivot->SetName("Light_Pivot");
    auto* ice = new Material;
    ice->SetName("Ice");
    g.AddMaterial(ice);
    auto* mesh = Add<Mesh>(g);
    auto* rim = new Material;
    rim->SetName("Rim_Light");
    mesh->AddMaterial(rim);
    EXPECT_EQ(g.FindNode("LIGHT_PIVOT"), pivot);
    EXPECT_EQ(g.FindMaterial("ICE"), ice);
    EXPECT_EQ(mesh->FindMaterial("RIM_LIGHT"), rim);
}

// A node or scene item that counts the live ones of its kind.
int g_live = 0;
template <typename T>
struct Counted : T {
    Counted() { ++g_live; }
    ~Counted() override { --g_live; }
};

TEST(Ownership, GraphAndLwsSceneReleaseEverythingOnceHoweverItIsListed) {
    g_live = 0;
    {
        SceneGraph g;
        auto* a = new Counted<HelperNode>;
        g.AddHelper(a);
        g.AddNode(a);  // listed twice
        g.AddRoot(a);
        Add<Counted<HelperNode>>(g, a);
        auto* lib = new Counted<Material>;
        g.AddMaterial(lib);
        g.AddNode(lib);
        // A mesh's private material that also ended up in the library is the mesh's to release.
        auto* mesh = new Mesh;
        auto* priv = new Counted<Material>;
        mesh->AddMaterial(priv);
        mesh->AddMaterial(priv);
        g.AddMaterial(priv);
        g.AddMesh(mesh);
        priv->AdoptMap(std::make_unique<TextureMap>());
        a->SetPositionChannel(ConstantChannel(g, 1, 2, 3));
        g.Animate(0);
        EXPECT_EQ(g_live, 4);
    }
    EXPECT_EQ(g_live, 0);
    {
        LwsScene scene;
        auto* mesh = new Counted<LwsMeshItem>;
        EXPECT_TRUE(scene.AddMeshItem(mesh));
        EXPECT_TRUE(scene.AddLightItem(new Counted<LwsLightItem>));
        EXPECT_TRUE(scene.AddCameraItem(new LwsCameraItem));
        EXPECT_TRUE(scene.AddHelperItem(new LwsHelperItem));
        EXPECT_FALSE(scene.AddMeshItem(mesh));  // held once, released once
        EXPECT_FALSE(scene.AddHelperItem(nullptr));
        ASSERT_EQ(scene.GetItemCount(), 4);

        auto* motion = new LwsMotion;
        EXPECT_TRUE(scene.AddMotion(motion));
        EXPECT_FALSE(scene.AddMotion(motion));
        mesh->SetPositionMotion(motion);  // shared, owned by the scene alone
        EXPECT_EQ(g_live, 2);
    }
    EXPECT_EQ(g_live, 0);
}

// A mesh of the given corner positions and faces (three indices each).
void Build(Mesh& m, std::initializer_list<Vector3> points, std::initializer_list<std::array<int, 3>> faces) {
    ASSERT_TRUE(m.SetVertexCount(static_cast<int32_t>(points.size())));
    ASSERT_TRUE(m.SetFaceCount(static_cast<int32_t>(faces.size())));
    int i = 0;
    for (const Vector3& p : points) m.GetVertex(i++)->position = p;
    i = 0;
    for (const auto& f : faces) {
        MeshFace* face = m.GetFace(i++);
        face->i0 = f[0], face->i1 = f[1], face->i2 = f[2];
    }
}

TEST(MeshArrays, RefusedCountsKeepTheOldArrays) {
    Mesh m;
    EXPECT_FALSE(m.SetVertexCount(0));
    EXPECT_FALSE(m.ComputeNormals());
    ASSERT_TRUE(m.SetVertexCount(4));
    EXPECT_EQ(m.GetVertex(3)->diffuse, 0xff000000u);
    EXPECT_EQ(m.GetVertex(4), nullptr);
    m.GetVertex(2)->u = 0.5f;
    EXPECT_FALSE(m.SetVertexCount(Mesh::kMaxElements + 1));
    EXPECT_FALSE(m.SetFaceCount(-3));
    EXPECT_EQ(m.GetVertexCount(), 4);
    EXPECT_EQ(m.GetVertex(2)->u, 0.5f);
    EXPECT_FALSE(m.ComputeNormals());  // still no faces
}

TEST(MeshNormals, AreTheAverageOfUnitFaceNormalsAndNeverNaN) {
    // Vertex 0 is shared by a face with normal +z and one with +y; the average is not
    // renormalised, and the faces' sizes do not weigh in.
    Mesh s;
    Build(s, {{0, 0, 0}, {0, 4, 0}, {4, 0, 0}, {0, 0, 3}, {3, 0, 0}}, {{0, 1, 2}, {0, 4, 3}});
    ASSERT_TRUE(s.ComputeNormals());
    ASSERT_TRUE(s.ComputeNormals());  // a second pass starts from zero
    ExpectVector(s.GetVertex(0)->normal, 0, 0.5f, 0.5f);
    ExpectVector(s.GetVertex(1)->normal, 0, 0, 1);
    ExpectVector(s.GetVertex(3)->normal, 0, 1, 0);

    Mesh m;
    // Face 1 is collinear, face 2 a point, face 3 reaches outside the mesh; vertex 4 is unused
    // but holds a stale normal.
    Build(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}, {0, 0, 0}, {5, 5, 5}},
          {{0, 1, 2}, {0, 1, 3}, {5, 5, 5}, {0, 1, 99}});
    m.GetVertex(4)->normal = Vector3(9, 9, 9);
    ASSERT_TRUE(m.ComputeNormals());
    ExpectVector(m.GetVertex(0)->normal, 0, 0, -1);  // not diluted by the faces without area
    for (int i : {3, 4, 5}) ExpectVector(m.GetVertex(i)->normal, 0, 0, 0);
}

}  // namespace
}  // namespace cm
