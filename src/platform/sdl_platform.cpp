namespace vq {}
