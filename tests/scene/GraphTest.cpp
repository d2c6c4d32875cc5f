#include <gtest/gtest.h>

#include <cmath>

#include "scene/SceneGraph.h"

namespace cm {
namespace {

void ExpectTranslation(const Matrix4& m, float x, float y, float z) {
    EXPECT_NEAR(m[12], x, 1e-5f);
    EXPECT_NEAR(m[13], y, 1e-5f);
    EXPECT_NEAR(m[14], z, 1e-5f);
}

// A channel that holds one key of three values: it outputs them at every time.
KeyChannel* ConstantChannel(SceneGraph& g, float x, float y, float z) {
    auto* c = new KeyChannel;
    c->Init(3);
    ChannelKey* k = c->NewKey();
    k->values = {x, y, z};
    c->InsertKey(k);
    g.AddChannel(c);
    return c;
}

TEST(Transform, LocalMatrixIsRotationThenTranslationThenScale) {
    SceneGraph g;
    auto* h = new HelperNode;
    g.AddHelper(h);
    g.AddRoot(h);
    h->position = Vector3(1, 2, 3);
    g.Animate(0);
    ExpectTranslation(h->matrix, 1, 2, 3);

    // The scale comes after the translation, so it scales the offset too.
    h->scale = Vector3(2, 2, 2);
    g.Animate(0);
    ExpectTranslation(h->matrix, 2, 4, 6);
    EXPECT_NEAR(h->matrix[0], 2.0f, 1e-6f);

    // Rotation comes first: a quarter turn about z does not move the origin, it only turns the
    // axes (+x goes to +y in the left-handed convention).
    h->scale = Vector3(1, 1, 1);
    h->rotation.z = static_cast<float>(M_PI / 2);
    g.Animate(0);
    ExpectTranslation(h->matrix, 1, 2, 3);
    EXPECT_NEAR(h->matrix[1], 1.0f, 1e-6f);
}

TEST(Transform, ChildrenSitInTheirParentsMatrix) {
    SceneGraph g;
    auto* parent = new HelperNode;
    auto* child = new Mesh;
    auto* grandchild = new HelperNode;
    g.AddHelper(parent);
    g.AddMesh(child);
    g.AddHelper(grandchild);
    child->SetParent(parent);
    grandchild->SetParent(child);
    g.AddRoot(parent);

    parent->position = Vector3(5, 0, 0);
    child->position = Vector3(0, 1, 0);
    grandchild->position = Vector3(0, 0, 1);
    g.Animate(0);
    ExpectTranslation(child->matrix, 5, 1, 0);
    ExpectTranslation(grandchild->matrix, 5, 1, 1);

    // A parent scale stretches where its children sit.
    parent->scale = Vector3(3, 3, 3);
    g.Animate(0);
    ExpectTranslation(child->matrix, 15, 3, 0);
}

TEST(Transform, MaterialsAreSkippedAndFlaresOnlyTranslate) {
    SceneGraph g;
    auto* root = new HelperNode;
    auto* material = new Material;
    auto* under = new HelperNode;
    auto* flare = new LensFlare;
    g.AddHelper(root);
    g.AddNode(material);
    g.AddHelper(under);
    g.AddFlare(flare);
    root->position = Vector3(0, 0, 10);
    material->SetParent(root);
    under->SetParent(material);
    flare->SetParent(root);
    g.AddRoot(root);

    const Matrix4 marker = [] {
        Matrix4 m;
        m.SetIdentity();
        m[12] = 42;
        return m;
    }();
    material->matrix = marker;
    under->matrix = marker;
    under->position = Vector3(1, 1, 1);
    flare->position = Vector3(1, 2, 3);
    flare->scale = Vector3(3, 3, 3);
    flare->rotation.x = 0.7f;
    flare->rotation.y = -1.1f;
    g.Animate(0);
    EXPECT_EQ(material->matrix[12], 42.0f);
    EXPECT_EQ(under->matrix[12], 42.0f);  // below a material nothing is visited

    Matrix4 expected;
    expected.SetIdentity();
    expected[12] = 1, expected[13] = 2, expected[14] = 13;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(flare->matrix[i], expected[i], 1e-6f) << i;
}

TEST(Transform, DetachedChannelsLeaveTheOwnersValues) {
    SceneGraph g;
    auto* h = new HelperNode;
    g.AddHelper(h);
    g.AddRoot(h);
    h->SetPositionChannel(ConstantChannel(g, 7, 8, 9));
    h->SetRotationChannel(ConstantChannel(g, 0.1f, 0.2f, 0.3f));
    h->SetScaleChannel(ConstantChannel(g, 4, 4, 4));
    g.Animate(5);
    EXPECT_EQ(h->position.y, 8.0f);
    EXPECT_EQ(h->rotation.z, 0.3f);
    EXPECT_EQ(h->scale.x, 4.0f);

    h->SetPositionChannel(nullptr);
    h->SetRotationChannel(nullptr);
    h->SetScaleChannel(nullptr);
    h->position = Vector3(-1, -2, -3);
    h->rotation.x = 0.5f;
    h->scale = Vector3(0.5f, 0.25f, 2);
    for (float t : {0.0f, 10.0f, 100.0f}) {
        g.Animate(t);
        EXPECT_EQ(h->position.x, -1.0f);
        EXPECT_EQ(h->position.z, -3.0f);
        EXPECT_EQ(h->rotation.x, 0.5f);
        EXPECT_EQ(h->rotation.z, 0.3f);
        EXPECT_EQ(h->scale.y, 0.25f);
    }

    // A channel without keys drives nothing either, rather than zeroing the property.
    auto* empty = new KeyChannel;
    empty->Init(3);
    g.AddChannel(empty);
    h->SetScaleChannel(empty);
    g.Animate(1);
    EXPECT_EQ(h->scale.z, 2.0f);
}

TEST(Transform, CameraLooksAtItsTargetsOwnPosition) {
    SceneGraph g;
    auto* cam = new Camera;
    auto* mover = new HelperNode;
    auto* target = new HelperNode;
    g.AddCamera(cam);
    g.AddHelper(mover);
    g.AddHelper(target);
    target->SetParent(mover);
    cam->SetTarget(target);
    g.AddRoot(cam);
    g.AddRoot(mover);
    cam->position = Vector3(0, 0, -10);

    g.Animate(0);
    // The origin lies 10 ahead of the camera, and camera space maps back to the eye.
    const Matrix4& v = cam->matrix;
    EXPECT_NEAR(v[12], 0.0f, 1e-5f);
    EXPECT_NEAR(v[13], 0.0f, 1e-5f);
    EXPECT_NEAR(v[14], 10.0f, 1e-5f);
    ExpectTranslation(cam->inverseMatrix, 0, 0, -10);

    // Moving the target's parent moves its world position, not its position field: the view
    // stays as it was.
    const Matrix4 before = cam->matrix;
    mover->position = Vector3(50, 0, 0);
    g.Animate(0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cam->matrix[i], before[i]);

    // Roll turns the view about the line of sight: the camera's x axis tilts into y.
    cam->rotation.z = static_cast<float>(M_PI / 2);
    g.Animate(0);
    EXPECT_NEAR(std::fabs(cam->matrix[1]), 1.0f, 1e-5f);

    // The eye on the target gives no line of sight; the view must still be finite.
    cam->position = Vector3(0, 0, 0);
    g.Animate(0);
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(cam->matrix[i])) << i;
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(cam->inverseMatrix[i])) << i;
}

TEST(Transform, CameraWithoutTargetKeepsTheOwnersViewAndItsInverse) {
    SceneGraph g;
    auto* cam = new Camera;
    auto* child = new HelperNode;
    g.AddCamera(cam);
    g.AddHelper(child);
    child->SetParent(cam);
    g.AddRoot(cam);
    cam->matrix.SetRotationAngles(0, 0.5f, 0);
    cam->matrix[12] = 3;
    cam->position = Vector3(100, 100, 100);  // not used without a target
    const Matrix4 view = cam->matrix;

    for (int pass = 0; pass < 2; ++pass) {
        g.Animate(static_cast<float>(pass));
        for (int i = 0; i < 16; ++i) EXPECT_EQ(cam->matrix[i], view[i]);
    }
    Matrix4 product;
    product.Multiply(cam->matrix, cam->inverseMatrix);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], kIdentityMatrix[i], 1e-5f) << i;
    // Children of a camera sit in its view matrix.
    ExpectTranslation(child->matrix, 3, 0, 0);

    // A singular view has no inverse; the last good one stays instead of garbage.
    const Matrix4 inverse = cam->inverseMatrix;
    cam->matrix = Matrix4{};
    g.Animate(2);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cam->inverseMatrix[i], inverse[i]);
}

TEST(Hierarchy, LinksChildrenAndRefusesLoops) {
    HelperNode a, b, c;
    EXPECT_TRUE(b.SetParent(&a));
    EXPECT_TRUE(c.SetParent(&b));
    EXPECT_EQ(a.GetChildCount(), 1);
    EXPECT_EQ(a.GetChild(0), &b);
    EXPECT_EQ(a.GetChild(-1), nullptr);
    EXPECT_EQ(a.GetChild(1), nullptr);
    EXPECT_EQ(c.GetParent(), &b);

    // A loop would send the transform pass round for ever.
    EXPECT_FALSE(a.SetParent(&c));
    EXPECT_FALSE(a.SetParent(&a));
    EXPECT_FALSE(b.AddChild(&a));
    EXPECT_EQ(a.GetParent(), nullptr);
    EXPECT_EQ(c.GetChildCount(), 0);

    // Reparenting leaves the node listed under its old parent too.
    EXPECT_TRUE(c.SetParent(&a));
    EXPECT_EQ(a.GetChildCount(), 2);
    EXPECT_EQ(b.GetChildCount(), 1);
    EXPECT_FALSE(a.AddChild(nullptr));
}

TEST(Lists, AppendLookupAndNames) {
    SceneGraph g;
    EXPECT_FALSE(g.AddNode(nullptr));
    EXPECT_FALSE(g.AddMesh(nullptr));
    EXPECT_FALSE(g.AddMaterial(nullptr));
    EXPECT_EQ(g.GetNodeCount(), 0);

    auto* m1 = new Mesh;
    auto* m2 = new Mesh;
    auto* cam = new Camera;
    g.AddMesh(m1);
    g.AddCamera(cam);
    g.AddMesh(m2);
    EXPECT_EQ(g.GetNodeCount(), 3);
    EXPECT_EQ(g.GetNode(1), cam);
    EXPECT_EQ(g.GetMeshCount(), 2);
    EXPECT_EQ(g.GetMesh(1), m2);
    EXPECT_EQ(g.GetMesh(2), nullptr);
    EXPECT_EQ(g.GetCamera(-1), nullptr);

    EXPECT_EQ(g.FindNode("DEFAULT_MESH"), m1);  // case ignored, first match wins
    EXPECT_EQ(g.FindNode("Default_Camera"), cam);
    EXPECT_EQ(g.FindNode("default_mes"), nullptr);
    EXPECT_EQ(g.FindNode(nullptr), nullptr);

    EXPECT_FALSE(m1->SetName(nullptr));
    EXPECT_STREQ(m1->GetName(), "default_mesh");
    EXPECT_TRUE(m1->SetName("hull"));
    EXPECT_EQ(g.FindNode("default_mesh"), m2);
    EXPECT_EQ(g.FindNode("HULL"), m1);

    auto* lib = new Material;
    lib->SetName("Glass");
    g.AddMaterial(lib);
    EXPECT_EQ(g.FindMaterial("glass"), lib);
    EXPECT_EQ(g.GetMaterial(0), lib);
    EXPECT_EQ(g.GetMaterialCount(), 1);
}

// Counts live nodes so that releasing a graph can be checked without a leak checker.
int g_liveNodes = 0;
struct CountedHelper : HelperNode {
    CountedHelper() { ++g_liveNodes; }
    ~CountedHelper() override { --g_liveNodes; }
};
struct CountedMaterial : Material {
    CountedMaterial() { ++g_liveNodes; }
    ~CountedMaterial() override { --g_liveNodes; }
};

TEST(Ownership, GraphReleasesEverythingOnceHoweverItIsListed) {
    g_liveNodes = 0;
    {
        SceneGraph g;
        auto* a = new CountedHelper;
        auto* b = new CountedHelper;
        g.AddHelper(a);
        g.AddHelper(b);
        g.AddNode(a);  // listed twice
        g.AddRoot(a);
        b->SetParent(a);

        auto* lib = new CountedMaterial;
        g.AddMaterial(lib);
        g.AddNode(lib);  // both library and node list

        // A mesh's private material that also ended up in the library: the mesh releases it.
        auto* mesh = new Mesh;
        auto* priv = new CountedMaterial;
        mesh->AddMaterial(priv);
        mesh->AddMaterial(priv);
        g.AddMaterial(priv);
        g.AddMesh(mesh);
        priv->AdoptMap(std::make_unique<TextureMap>());

        KeyChannel* c = ConstantChannel(g, 1, 2, 3);
        g.AddChannel(c);
        a->SetPositionChannel(c);
        g.Animate(0);
        EXPECT_EQ(g_liveNodes, 4);
    }
    EXPECT_EQ(g_liveNodes, 0);
}

}  // namespace
}  // namespace cm
